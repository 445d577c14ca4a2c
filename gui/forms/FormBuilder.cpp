#include "forms/FormBuilder.h"

#include "controls/Densities.h"
#include "controls/LightPalette.h"
#include "controls/PictureBox.h"
#include "controls/RichTextBox.h"
#include "design/DesignText.h"
#include "forms/ScreenPlacement.h"
#include "forms/SystemFaces.h"

#include <QFile>
#include <QHash>
#include <QLabel>
#include <QLayout>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QStyle>

namespace tamsel {
namespace {

// Each icon file read once: every window shows its icon.
QIcon windowIcon(const QString& file)
{
    static QHash<QString, QIcon> icons;
    if (const auto known = icons.constFind(file); known != icons.constEnd())
        return *known;
    return *icons.insert(file, QIcon(file));
}

Qt::Alignment alignment(Align align)
{
    switch (align) {
    case Align::Left:
        break;
    case Align::Right:
        return Qt::AlignRight | Qt::AlignTop;
    case Align::Centre:
        return Qt::AlignHCenter | Qt::AlignTop;
    }
    return Qt::AlignLeft | Qt::AlignTop;
}

// What every designed control has: its name, its font and its place in the window.
template <typename Control, typename Design>
Control* asDesigned(Control* control, const Design& design)
{
    control->setObjectName(designText(design.name));
    control->setFont(makeFont(design.font));
    control->setGeometry(toPixels(design.rect));
    return control;
}

} // namespace

QFont makeFont(const FontDesign& design)
{
    QFont font(systemFaces().standIn(designText(design.face)));
    font.setPointSizeF(design.points);
    font.setBold(design.bold);
    // Every character of the captions and documents is in the face that stands in for the
    // design's, as a test holds: Qt need not ask fontconfig for fallback faces, which it
    // otherwise does once for each font it loads.
    font.setStyleStrategy(QFont::NoFontMerging);
    return font;
}

QPushButton* makeButton(const ButtonDesign& design, QWidget* parent)
{
    auto* button = asDesigned(new QPushButton(designText(design.text), parent), design);
    // Enter and the keypad's Enter press the focused button, as Space does.
    button->setAutoDefault(true);
    return button;
}

QLabel* makeLabel(const LabelDesign& design, QWidget* parent)
{
    return designLabel(new QLabel(parent), design);
}

QLabel* designLabel(QLabel* label, const LabelDesign& design)
{
    asDesigned(label, design)->setText(designText(design.text));
    label->setAlignment(alignment(design.align));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, toColor(design.foreground));
    if (design.background) {
        palette.setColor(QPalette::Window, toColor(*design.background));
        label->setAutoFillBackground(true);
    }
    label->setPalette(palette);
    return label;
}

RichTextBox* makeRichTextBox(const RichTextBoxDesign& design, QWidget* parent)
{
    auto* box = asDesigned(new RichTextBox(parent), design);
    if (design.accessibleName)
        box->setAccessibleName(designText(design.accessibleName));
    QFile document(designText(design.document));
    if (document.open(QIODevice::ReadOnly))
        box->setRtfLaidOutWhenSized(document.readAll());
    return box;
}

MenuActions buildMenus(QMenuBar* bar, std::span<const MenuDesign> menus)
{
    MenuActions actions;
    for (const MenuDesign& design : menus) {
        QMenu* menu = bar->addMenu(designText(design.caption));
        menu->setObjectName(designText(design.name));
        // A pull-down is a window of its own: it takes the palette of the window it belongs to.
        menu->setAttribute(Qt::WA_WindowPropagation);
        for (const MenuItemDesign& item : design.items) {
            QAction* action = menu->addAction(designText(item.caption));
            action->setObjectName(designText(item.name));
            actions.emplace(action->objectName(), action);
        }
    }
    return actions;
}

QAction* menuAction(const MenuActions& actions, const char* name)
{
    const auto found = actions.find(designText(name));
    // An item renamed in the design but not in the window's wiring would be a dead menu entry.
    Q_ASSERT_X(found != actions.end(), "menuAction", name);
    return found == actions.end() ? nullptr : found->second;
}

PictureBox* buildForm(QWidget* window, const FormDesign& design)
{
    window->setObjectName(designText(design.name));
    window->setWindowTitle(designText(design.caption));
    // The window's size is fixed, so its frame offers no maximise button.
    window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint);
    window->setFont(makeFont(design.font));
    // The windows bring their own light pictures and colours, so their controls keep the style's
    // light palette whatever the desktop's theme gives each kind of control: a dark one would
    // lose their text and outlines against the pictures.
    window->setPalette(lightPalette());
    if (design.icon) {
        // Every image of the icon file, so that a dense screen's frame and task bar button take
        // one drawn for their size.
        window->setWindowIcon(windowIcon(designText(design.icon)));
    }

    auto* client = new PictureBox(window);
    client->setFrameShape(QFrame::NoFrame);
    client->setFixedSize(toPixels(design.clientArea));
    if (design.backgroundPicture)
        client->setPicture(DensityPicture::decodeWhenNeeded(designText(design.backgroundPicture)));
    if (design.backgroundColour) {
        QPalette palette = client->palette();
        palette.setColor(QPalette::Window, toColor(*design.backgroundColour));
        client->setPalette(palette);
        client->setAutoFillBackground(true);
    }
    return client;
}

namespace {

// How window's client area fits its screen's free area inside a frame of that size.
ClientFit fitOnScreen(const QMainWindow* window, const QWidget* client, const QMargins& frame)
{
    const QScreen* screen = window->screen();
    if (!screen)
        return {};
    const int menuHeight = window->menuWidget() ? window->menuWidget()->sizeHint().height() : 0;
    return fitClient(client->size(), menuHeight, screen->availableGeometry(), frame,
                     window->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
}

// Puts client in a scroll area, unless it is in one already, and fixes the window at size.
void scrollClientArea(QMainWindow* window, QWidget* client, QSize size)
{
    if (!qobject_cast<QScrollArea*>(window->centralWidget())) {
        // Taken out of a shown window, the client area takes the focus of its controls with it:
        // the control that had it gets it back in the scroll area.
        QWidget* focused = window->focusWidget();
        if (window->centralWidget() == client) {
            window->takeCentralWidget();
            window->layout()->setSizeConstraint(QLayout::SetDefaultConstraint);
        }
        auto* area = new QScrollArea;
        area->setObjectName(QStringLiteral("clientScroll"));
        area->setFrameShape(QFrame::NoFrame);
        area->setWidget(client);
        window->setCentralWidget(area);
        if (focused)
            focused->setFocus(Qt::OtherFocusReason);
    }
    window->setFixedSize(size);
}

} // namespace

void setClientArea(QMainWindow* window, QWidget* client)
{
    const ClientFit fit = fitOnScreen(window, client, likelyFrameMargins(window));
    if (fit.scrolls) {
        scrollClientArea(window, client, fit.window);
    } else {
        window->setCentralWidget(client);
        window->layout()->setSizeConstraint(QLayout::SetFixedSize);
    }
    // The frame was guessed; the window manager's may be larger (a taller title bar, say). Where
    // the real one leaves the screen's free area, the window fits again by it, scrolling.
    whenFramed(window, [window, client](const QMargins& frame) {
        const QScreen* screen = window->screen();
        const QSize framed = window->size().grownBy(frame);
        if (!screen || (framed.width() <= screen->availableGeometry().width() &&
                        framed.height() <= screen->availableGeometry().height()))
            return;
        scrollClientArea(window, client, fitOnScreen(window, client, frame).window);
        centreOnScreen(window);
    });
}

QWidget* buildDocumentForm(const DocumentFormDesign& design, QScreen* screen)
{
    // A main window, as the exam window is, so that assistive technology sees a frame.
    auto* window = new QMainWindow;
    // Its client area is fitted to its screen's free area.
    if (screen)
        window->setScreen(screen);
    PictureBox* client = buildForm(window, design.form);
    setClientArea(window, client);
    // Qt's focus chain follows the order of creation, which is the design's tab order.
    makeRichTextBox(design.document, client);
    QStringList verdict;
    for (const LabelDesign& label : design.labels)
        verdict << makeLabel(label, client)->text().simplified();
    // What the window's labels say is what it is about: a screen reader gets it as the window's
    // description, and says it with the window's name whenever the window comes up, once.
    window->setAccessibleDescription(verdict.join(u' '));
    // The window has no buttons: Esc and Ctrl+W close it, as they close a desktop's viewers.
    for (const QKeySequence& keys :
         {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)})
        QObject::connect(new QShortcut(keys, window), &QShortcut::activated, window,
                         &QWidget::close);
    return window;
}

void setTextAndFit(QLabel* label, const QString& text, int emptyWidth)
{
    label->setText(text);
    const int width = text.isEmpty() ? emptyWidth : label->fontMetrics().horizontalAdvance(text);
    label->resize(width, label->height());
}

} // namespace tamsel
