#pragma once
// A tabbed dialog with a fixed number of equal-width tabs per row, stacked in as many rows as the
// tabs need. Each tab owns a page; controls are placed on a page in coordinates measured from the
// dialog's top-left, tab rows included. The rows stay where they are, the first next to the
// page, so that a tab never moves from under the pointer that chose it; the selected tab stands
// out by its face and outline wherever its row is. A tab can carry a mark in its corner (an
// answered item, say) and a description for assistive technology; what they mean is the owner's.
// It owns the tabs and pages, not what lies on them.

#include <QColor>
#include <QString>
#include <QWidget>

#include <vector>

class QPainter;

namespace tamsel {

class TabbedDialog final : public QWidget {
    Q_OBJECT

public:
    // The marks a tab can carry, by their look.
    enum class Mark {
        None,
        Dot,         // a filled dot
        Exclamation, // an exclamation mark, for what asks to be looked at again
    };

    TabbedDialog(int tabsPerRow, int rowHeight, QWidget* parent);

    // Adds a tab with its page, on which place() puts controls.
    void addTab(const QString& caption);
    // Puts a control on a page; rect is measured from the dialog's top-left, tab rows included.
    void place(int index, QWidget* control, const QRect& rect);

    int count() const { return static_cast<int>(captions_.size()); }
    int currentIndex() const { return current_; }
    void setCurrentIndex(int index);
    QString tabText(int index) const { return captions_.at(static_cast<size_t>(index)); }
    QWidget* page(int index) const { return pages_.at(static_cast<size_t>(index)); }
    QRect tabRect(int index) const;
    // Gives the focus to the first control of the page in view that takes it from the keyboard,
    // or to the tab list where that page has none.
    void focusCurrentPage(Qt::FocusReason reason);
    int rowCount() const { return (count() + tabsPerRow_ - 1) / tabsPerRow_; }
    // Selects the tab step places on, wrapping round at either end.
    void stepTab(int step);

    void setTabMark(int index, Mark mark);
    // What assistive technology says of a tab besides its caption.
    void setTabDescription(int index, const QString& description);
    QString tabDescription(int index) const { return descriptions_.at(static_cast<size_t>(index)); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

private:
    int stripHeight() const { return rowCount() * rowHeight_; }
    QRect panelRect() const;
    void layoutPages();
    int tabAt(const QPoint& pos) const;
    // The tab in the same column of the row rows away (up the strip for positive rows).
    int tabInRow(int rows) const;
    void paintTab(QPainter& painter, int index);
    void paintMark(QPainter& painter, const QRect& shape, Mark mark);
    // The bar that marks the selected tab.
    QColor selectionColour() const;

    int tabsPerRow_ = 1;
    int rowHeight_ = 20;
    int current_ = -1;
    int hovered_ = -1; // the tab under the pointer
    std::vector<QString> captions_;
    std::vector<QString> descriptions_;
    std::vector<Mark> marks_;
    std::vector<QWidget*> pages_;
};

} // namespace tamsel
