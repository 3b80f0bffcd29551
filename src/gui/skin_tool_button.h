#pragma once
#include <QToolButton>

namespace zc {

// A button of the skinned window that works from the keyboard too: Tab reaches it (a click
// leaves the focus in the input box), Enter and Space press it, and a screen reader reads it
// by the text its tool tip shows.
class SkinToolButton : public QToolButton {
public:
    explicit SkinToolButton(QWidget* parent);
    // The tool tip and the name screen readers read.
    void SetExplanation(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace zc
