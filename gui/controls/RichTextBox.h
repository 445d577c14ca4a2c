#pragma once
// A rich-text box showing one of the program's documents: read-only, on the system's window
// colour, wrapping at its width and scrolling through the whole document. The student can move
// through the text and select it with the keyboard too. Its border is drawn once more over the
// text area, which at some screen scales reaches into the border's last pixel, with a focus
// ring inside it while the box has the focus. Ctrl with the wheel, Ctrl++, Ctrl+- and Ctrl+0
// enlarge, reduce and restore the text, up to three times its size, for as long as the box
// lives, keeping the first whole line in view where it is. It owns the document it shows.

#include <QByteArrayView>
#include <QTextEdit>

#include <array>
#include <memory>
#include <vector>

namespace tamsel {

class RichTextBox final : public QTextEdit {
    Q_OBJECT

public:
    explicit RichTextBox(QWidget* parent = nullptr);

    // Shows the document written in rtf (code page 932, NUL-terminated as stored) in a box that
    // has no size yet: the document is read now, and the box takes it when it first gets its
    // size and lays it out whole there, at its width, once: its first picture is its last.
    void setRtfLaidOutWhenSized(QByteArrayView rtf);

    // The text's sizes as factors of the document's own.
    static constexpr std::array zoomFactors{1.0, 1.25, 1.5, 1.75, 2.0, 2.5, 3.0};
    qreal zoomFactor() const { return zoomFactors[static_cast<size_t>(zoomStep_)]; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // A stretch of text in one size, as the document gives it.
    struct Run {
        int position = 0;
        int length = 0;
        qreal points = 0;
    };

    void zoomTo(int step);
    void startAnotherDocument();
    void takeUnsizedDocument();

    friend class BorderOnTop;
    QWidget* border_ = nullptr;
    std::vector<Run> runs_;                  // read at the first zoom
    std::unique_ptr<QTextDocument> unsized_; // read, until the box first gets its size
    int zoomStep_ = 0;
};

} // namespace tamsel
