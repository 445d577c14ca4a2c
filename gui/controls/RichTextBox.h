#pragma once
// A rich-text box showing one of the program's documents: read-only, on the system's window
// colour, wrapping at its width and scrolling through the whole document. The student can move
// through the text and select it with the keyboard too. Its border is drawn once more over the
// text area, which at some screen scales reaches into the border's last pixel. It owns the
// document it shows.

#include <QByteArrayView>
#include <QTextEdit>

namespace tamsel {

class RichTextBox final : public QTextEdit {
    Q_OBJECT

public:
    explicit RichTextBox(QWidget* parent = nullptr);

    // Shows the document written in rtf (code page 932, NUL-terminated as stored).
    void setRtf(QByteArrayView rtf);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class BorderOnTop;
    QWidget* border_ = nullptr;
};

} // namespace tamsel
