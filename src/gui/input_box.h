#pragma once
#include <functional>

#include <QPlainTextEdit>

namespace zc {

// The message input: Enter sends, a line feed (Ctrl+Enter or Shift+Enter) starts a new line.
class InputBox : public QPlainTextEdit {
public:
    explicit InputBox(QWidget* parent);
    void SetOnEnter(std::function<void()> onEnter) { onEnter_ = std::move(onEnter); }
    QString Text() const { return toPlainText(); }
    void SetText(const QString& text);
    // The text with the caret at that character position.
    void SetText(const QString& text, int caret);
    int Caret() const { return textCursor().position(); }
    // Selection as character positions; start -1 when nothing is selected.
    int SelectionStart() const;
    int SelectionLength() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::function<void()> onEnter_;
};

}  // namespace zc
