#include "controls/TabbedDialog.h"

#include "controls/FocusRing.h"
#include "controls/TabbedDialogAccessible.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainterPath>
#include <QShortcut>
#include <QStyleOptionTab>
#include <QStylePainter>

#include <algorithm>

namespace tamsel {

TabbedDialog::TabbedDialog(int tabsPerRow, int rowHeight, QWidget* parent)
    : QWidget(parent)
    , tabsPerRow_(std::max(1, tabsPerRow))
    , rowHeight_(rowHeight)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);

    // The keys that page through a tab control work from anywhere inside it, also where the
    // control on a page would take them for itself (a text box takes Ctrl+Tab, for one).
    const struct {
        QKeySequence keys;
        int step;
    } pagingKeys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_Tab), 1},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1},
        {QKeySequence(Qt::CTRL | Qt::Key_Backtab), -1},
        {QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1},
        {QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1},
    };
    for (const auto& paging : pagingKeys) {
        auto* shortcut = new QShortcut(paging.keys, this);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        const int step = paging.step;
        connect(shortcut, &QShortcut::activated, this, [this, step] { stepTab(step); });
    }
}

void TabbedDialog::stepTab(int step)
{
    if (count() > 0)
        setCurrentIndex((current_ + step + count()) % count());
}

void TabbedDialog::addTab(const QString& caption)
{
    auto* page = new QWidget(this);
    // A page paints nothing, not even the background that a desktop's style sheet gives every
    // plain widget: the pages cover the tab rows, and it would hide them.
    page->setAttribute(Qt::WA_NoSystemBackground);
    captions_.push_back(caption);
    descriptions_.emplace_back();
    marks_.push_back(Mark::None);
    pages_.push_back(page);
    if (current_ < 0)
        current_ = 0;
    page->setVisible(count() - 1 == current_);
    layoutPages();
}

void TabbedDialog::place(int index, QWidget* control, const QRect& rect)
{
    control->setParent(page(index));
    control->setGeometry(rect);
}

void TabbedDialog::setCurrentIndex(int index)
{
    if (index < 0 || index >= count() || index == current_)
        return;
    const int previous = current_;
    current_ = index;
    QWidget* shown = pages_[static_cast<size_t>(current_)];
    const bool focusOnPage = previous >= 0 && pages_[static_cast<size_t>(previous)]->isAncestorOf(
                                                  QApplication::focusWidget());
    shown->setVisible(true);
    // Focus on the page going out of sight moves on to the page coming into view, as it was
    // working on the page. It moves before the old page hides: a hidden page would hand it to the
    // next control of the window first, whose name a screen reader would say.
    if (focusOnPage)
        focusCurrentPage(Qt::TabFocusReason);
    if (previous >= 0)
        pages_[static_cast<size_t>(previous)]->setVisible(false);
    update();

    TabbedDialogAccessible::notifyTabChange(this, previous);
}

// A page's controls may have been made after later pages', so the whole chain is looked at.
void TabbedDialog::focusCurrentPage(Qt::FocusReason reason)
{
    if (current_ < 0) {
        setFocus(reason);
        return;
    }
    QWidget* shown = pages_[static_cast<size_t>(current_)];
    QWidget* first = shown->nextInFocusChain();
    while (first != shown && !(shown->isAncestorOf(first) && first->focusPolicy() & Qt::TabFocus &&
                               first->isEnabled() && first->isVisibleTo(shown)))
        first = first->nextInFocusChain();
    if (first != shown)
        first->setFocus(reason);
    else
        setFocus(reason);
}

void TabbedDialog::setTabMark(int index, Mark mark)
{
    if (marks_.at(static_cast<size_t>(index)) == mark)
        return;
    marks_[static_cast<size_t>(index)] = mark;
    update(tabRect(index));
}

void TabbedDialog::setTabDescription(int index, const QString& description)
{
    if (descriptions_.at(static_cast<size_t>(index)) == description)
        return;
    descriptions_[static_cast<size_t>(index)] = description;
    TabbedDialogAccessible::notifyDescriptionChange(this, index);
}

// The first row stands next to the page, later rows above it.
QRect TabbedDialog::tabRect(int index) const
{
    const int row = index / tabsPerRow_;
    const int column = index % tabsPerRow_;
    const int tabWidth = width() / tabsPerRow_;
    const int y = (rowCount() - 1 - row) * rowHeight_;
    return {column * tabWidth, y, tabWidth, rowHeight_};
}

QRect TabbedDialog::panelRect() const
{
    return {0, stripHeight(), width(), height() - stripHeight()};
}

// Pages cover the whole dialog, tab rows included, so that controls keep their design places
// however many rows there are. A page paints nothing and lets clicks on the tabs through.
void TabbedDialog::layoutPages()
{
    for (QWidget* p : pages_)
        p->setGeometry(rect());
}

int TabbedDialog::tabAt(const QPoint& pos) const
{
    for (int i = 0; i < count(); ++i) {
        if (tabRect(i).contains(pos))
            return i;
    }
    return -1;
}

void TabbedDialog::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);

    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    frame.rect = panelRect();
    frame.shape = QTabBar::RoundedNorth;
    painter.fillRect(frame.rect, palette().button());
    painter.drawPrimitive(QStyle::PE_FrameTabWidget, frame);

    // Top rows first, so that each row overlaps the one above it; the selected tab last, over
    // its neighbours.
    for (int i = count() - 1; i >= 0; --i) {
        if (i != current_)
            paintTab(painter, i);
    }
    if (current_ >= 0)
        paintTab(painter, current_);
}

// Tabs are drawn here rather than by the style: the styles assume a single row of tabs sized to
// their captions, and clip or misplace the equal-width tabs of several rows.
void TabbedDialog::paintTab(QPainter& painter, int index)
{
    const bool selected = index == current_;
    QRect shape = tabRect(index).adjusted(0, 2, -1, 0);
    if (selected)
        shape.adjust(-1, -2, 1, 1);
    const bool hovered = !selected && index == hovered_;

    const QColor face = palette().button().color();
    QLinearGradient fill(shape.topLeft(), shape.bottomLeft());
    fill.setColorAt(0, selected  ? palette().base().color()
                       : hovered ? face.lighter(103)
                                 : face.darker(102));
    fill.setColorAt(1, selected ? palette().base().color() : face.darker(hovered ? 101 : 108));

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath outline;
    const QRectF r = QRectF(shape).adjusted(0.5, 0.5, -0.5, 0.5);
    constexpr qreal radius = 3;
    outline.moveTo(r.bottomLeft());
    outline.lineTo(r.left(), r.top() + radius);
    outline.quadTo(r.topLeft(), QPointF(r.left() + radius, r.top()));
    outline.lineTo(r.right() - radius, r.top());
    outline.quadTo(r.topRight(), QPointF(r.right(), r.top() + radius));
    outline.lineTo(r.bottomRight());
    painter.fillPath(outline, fill);
    painter.setPen(selected ? QPen(selectionColour(), 2) : QPen(palette().dark().color()));
    painter.drawPath(outline);
    painter.restore();

    // The selected tab and the focus are told by lines that stand out at least 3:1 from the tab's
    // face, not by its shading alone: an outline and a bar along the selected tab's top edge in
    // the selection's colour, and while the tab list has the focus a ring two pixels wide in the
    // text's colour over the outline, where it leaves the caption and the mark room.
    if (selected)
        painter.fillRect(QRect(shape.left() + 1, shape.top() + 1, shape.width() - 2, 3),
                         selectionColour());
    paintMark(painter, shape, marks_[static_cast<size_t>(index)]);

    const QColor text =
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText);
    painter.setPen(text);
    painter.drawText(shape, Qt::AlignCenter, captions_[static_cast<size_t>(index)]);

    if (selected && hasFocus())
        drawFocusRing(painter, shape, text);
}

// In the tab's top right corner, in the text's colour: a dot, or an exclamation mark of a bar
// over a smaller dot that stands as tall as the caption.
void TabbedDialog::paintMark(QPainter& painter, const QRect& shape, Mark mark)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette().color(QPalette::ButtonText));
    const qreal x = shape.right() - 5.5;
    switch (mark) {
    case Mark::None:
        break;
    case Mark::Dot:
        painter.drawEllipse(QPointF(x, shape.top() + 8.5), 2.5, 2.5);
        break;
    case Mark::Exclamation:
        painter.drawRoundedRect(QRectF(x - 1.25, shape.top() + 3, 2.5, 8), 1.25, 1.25);
        painter.drawEllipse(QPointF(x, shape.top() + 13.5), 1.5, 1.5);
        break;
    }
    painter.restore();
}

QColor TabbedDialog::selectionColour() const
{
    return palette().color(QPalette::Highlight).darker(120);
}

void TabbedDialog::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const int index = tabAt(event->position().toPoint());
    if (index >= 0) {
        setFocus(Qt::MouseFocusReason);
        setCurrentIndex(index);
    }
}

void TabbedDialog::keyPressEvent(QKeyEvent* event)
{
    // A control with no tabs has nothing for the keys to move to.
    if (count() == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    int target = current_;
    switch (event->key()) {
    case Qt::Key_Left:
        target = current_ - 1;
        break;
    case Qt::Key_Right:
        target = current_ + 1;
        break;
    case Qt::Key_Home:
        target = 0;
        break;
    case Qt::Key_End:
        target = count() - 1;
        break;
    case Qt::Key_Up:
        target = tabInRow(1);
        break;
    case Qt::Key_Down:
        target = tabInRow(-1);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    setCurrentIndex(std::clamp(target, 0, count() - 1));
}

// A shorter row gives its last tab; past the first or last row the current tab stays.
int TabbedDialog::tabInRow(int rows) const
{
    const int row = current_ / tabsPerRow_ + rows;
    if (row < 0 || row >= rowCount())
        return current_;
    const int column = current_ % tabsPerRow_;
    return std::min(row * tabsPerRow_ + column, count() - 1);
}

// Qt reports the focus on the tab list as a whole once this returns; the selected tab follows it,
// so that a screen reader says which tab the keys will move from.
void TabbedDialog::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    QMetaObject::invokeMethod(
        this, [this] { TabbedDialogAccessible::notifyFocus(this); }, Qt::QueuedConnection);
}

void TabbedDialog::resizeEvent(QResizeEvent*)
{
    layoutPages();
}

bool TabbedDialog::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::HoverEnter:
    case QEvent::HoverMove:
    case QEvent::HoverLeave: {
        // Only a tab shows the pointer over it, so only a change of tab is repainted: the pointer
        // resting on a page, as it may when the window first appears, repaints nothing.
        const int tab = event->type() == QEvent::HoverLeave
                            ? -1
                            : tabAt(static_cast<QHoverEvent*>(event)->position().toPoint());
        if (tab != hovered_) {
            for (const int changed : {hovered_, tab}) {
                if (changed >= 0)
                    update(tabRect(changed).adjusted(-1, -2, 1, 1));
            }
            hovered_ = tab;
        }
        return true;
    }
    default:
        return QWidget::event(event);
    }
}

} // namespace tamsel
