#pragma once
// The on-screen keyboard: a grid of keys for a finger, drawn from a layout
// (KeyboardLayout), with a layer of letters and one of symbols. It never
// takes the keyboard focus: what it types leaves it as signals, for whoever
// shows it to deliver to the field in use.

#include "platform/keyboard/KeyboardLayout.h"

#include <QElapsedTimer>
#include <QList>
#include <QWidget>

class QPushButton;
class QStackedLayout;

namespace quillory {

class OnScreenKeyboard : public QWidget {
    Q_OBJECT
public:
    explicit OnScreenKeyboard(const KeyboardLayout& layout, QWidget* parent = nullptr);

    // Back to the letters, in lower case, as for each new field.
    void Reset();
    bool ShowsSymbols() const;
    bool Shifted() const { return shift_ != Shift::Off; }
    bool CapsLocked() const { return shift_ == Shift::Locked; }
    // A key is never smaller than a fingertip: 48 pixels at 96 dpi.
    static int KeySize(const QWidget& on);

signals:
    // Characters, space included.
    void TextTyped(const QString& text);
    // Backspace, Tab, Return, Left and Right.
    void KeyTyped(Qt::Key key);
    void HideAsked();

private:
    enum class Shift { Off, Once, Locked };
    QWidget* BuildLayer(const QList<KeyboardRow>& rows);
    QPushButton* BuildKey(const KeyboardKey& key);
    void Press(const KeyboardKey& key);
    void PressShift();
    void ShowLayer(int layer);
    void UpdateLabels();

    QStackedLayout* layers_;
    // The character keys with what they type, to relabel them with Shift.
    QList<QPair<QPushButton*, KeyboardKey>> characterKeys_;
    QList<QPushButton*> shiftKeys_;
    Shift shift_ = Shift::Off;
    QElapsedTimer sinceShift_;
};

}  // namespace quillory
