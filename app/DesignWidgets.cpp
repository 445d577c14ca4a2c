#include "app/DesignWidgets.h"

#include <QLabel>
#include <QPushButton>

namespace tamsel {

QFont makeFont(const FontDesign& design)
{
    QFont font(QString::fromUtf8(design.face));
    font.setPointSizeF(design.points);
    font.setBold(design.bold);
    return font;
}

QPushButton* makeButton(const examdesign::ButtonDesign& design, QWidget* parent)
{
    auto* button = new QPushButton(QString::fromUtf8(design.text), parent);
    button->setObjectName(QString::fromUtf8(design.name));
    button->setFont(makeFont(examdesign::buttonFont));
    button->setGeometry(toPixels(design.rect));
    return button;
}

QLabel* makeLabel(const examdesign::LabelDesign& design, QWidget* parent)
{
    auto* label = new QLabel(QString::fromUtf8(design.text), parent);
    label->setObjectName(QString::fromUtf8(design.name));
    label->setFont(makeFont(design.font));
    label->setGeometry(toPixels(design.rect));
    switch (design.align) {
    case examdesign::LabelAlign::Left:
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        break;
    case examdesign::LabelAlign::Right:
        label->setAlignment(Qt::AlignRight | Qt::AlignTop);
        break;
    case examdesign::LabelAlign::Centre:
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        break;
    }
    if (design.opaque) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::Window, toColor(examdesign::framePink));
        palette.setColor(QPalette::WindowText, Qt::black);
        label->setPalette(palette);
        label->setAutoFillBackground(true);
    } else {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, Qt::black);
        label->setPalette(palette);
    }
    return label;
}

void setTextAndFit(QLabel* label, const QString& text, int emptyWidth)
{
    label->setText(text);
    const int width = text.isEmpty() ? emptyWidth : label->fontMetrics().horizontalAdvance(text);
    label->resize(width, label->height());
}

} // namespace tamsel
