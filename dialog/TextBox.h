#pragma once
// A single-line text box that behaves as the program's forms expect:
// - a character limit for what a person types or pastes, while text the
//   program puts in with SetText is kept whole, however long;
// - focus-received and focus-lost events for moves within the program only,
//   not when its window is merely deactivated and activated again;
// - no selection of its own on entry: the form's focus handler decides, and
//   a selection it makes survives the click that brought the focus;
// - a character-typed event whose handler may discard the character.

#include <QLineEdit>
#include <cstdint>

namespace quillory {

class TextLimit;

class TextBox : public QLineEdit {
    Q_OBJECT
public:
    explicit TextBox(QWidget* parent);

    // At most this many characters can be typed or pasted; 0 for no limit.
    void setMaxLength(int characters);
    int MaxLength() const;

    // Puts text into the box as the program, not cut to the limit.
    void SetText(const QString& text);

signals:
    void GotFocus();
    void LostFocus();
    // A character typed into the box, as a 16-bit code (Ctrl with a letter
    // gives its control character, backspace 8). Setting KeyAscii to 0
    // discards the character.
    void KeyPress(std::int16_t& KeyAscii);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    TextLimit* limit_;
    // The window lost the activation while this box had the focus; the
    // focus comes back to it with the activation.
    bool focusParked_ = false;
    // The focus came with a click and the focus handler selected text: the
    // click itself, up to its release, leaves that selection alone.
    bool keepSelectionThroughClick_ = false;
};

}  // namespace quillory
