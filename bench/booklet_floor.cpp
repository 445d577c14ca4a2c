// The floor for the program's start-up: the least Qt needs to show this booklet at all. A bare
// main window whose only content is a read-only text box that never takes the focus (no caret
// blinks while it is measured) holding the booklet's plain text (the file named on the command
// line) in the installed Japanese serif face at 8 pt, at the booklet box's size.

#include <QApplication>
#include <QFile>
#include <QMainWindow>
#include <QTextEdit>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QFile text(QApplication::arguments().value(1));
    if (!text.open(QIODevice::ReadOnly))
        return 1;
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Floor"));
    auto* box = new QTextEdit;
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::NoFocus);
    box->setFont(QFont(QStringLiteral("IPAMincho"), 8));
    box->setPlainText(QString::fromUtf8(text.readAll()));
    box->setFixedSize(649, 385);
    window.setCentralWidget(box);
    window.show();
    return QApplication::exec();
}
