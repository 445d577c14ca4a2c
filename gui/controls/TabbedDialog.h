#pragma once
// A tabbed dialog with a fixed number of equal-width tabs per row, stacked in as many rows as the
// tabs need. Each tab owns a page; controls are placed on a page in coordinates measured from the
// dialog's top-left, tab rows included. The row of the selected tab always stands in front, next
// to the page, and the rows behind it rotate as in the multi-row tab controls users know.
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
    int rowCount() const { return (count() + tabsPerRow_ - 1) / tabsPerRow_; }
    // Zero for the row in front, next to the page; higher numbers stand further back.
    int rowPosition(int row) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

private:
    int stripHeight() const { return rowCount() * rowHeight_; }
    QRect panelRect() const;
    void layoutPages();
    int tabAt(const QPoint& pos) const;
    int tabInNeighbouringRow(int rowsBack) const;
    // Selects the tab step places on, wrapping round at either end.
    void stepTab(int step);
    void paintTab(QPainter& painter, int index);
    // The bar that marks the selected tab.
    QColor selectionColour() const;

    int tabsPerRow_ = 1;
    int rowHeight_ = 20;
    int current_ = -1;
    int hovered_ = -1; // the tab under the pointer
    std::vector<QString> captions_;
    std::vector<QWidget*> pages_;
};

} // namespace tamsel
