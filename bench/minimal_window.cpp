// The yardstick for the program's start-up: a bare Qt main window with one Japanese label.

#include <QApplication>
#include <QLabel>
#include <QMainWindow>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Minimal"));
    window.setCentralWidget(new QLabel(QStringLiteral("問題を読んで答えよ。"), &window));
    window.resize(792, 572);
    window.show();
    return QApplication::exec();
}
