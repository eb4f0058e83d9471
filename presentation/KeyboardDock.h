#pragma once
// Docks the on-screen keyboard along the bottom of the primary screen, in a
// window of its own that no window manager moves, closes, minimises or
// shades and that shows on every desktop, and says where its keys go: into
// the page's field, with the page's area shrunk above the keyboard, or into
// the exit prompt's box while the prompt is open.

#include "platform/keyboard/KeyboardChoice.h"

#include <QObject>
#include <QPointer>

class QTimer;

namespace quillory {

class FrmBrowser;
class FrmPassword;
class OnScreenKeyboard;

class KeyboardDock : public QObject {
    Q_OBJECT
public:
    KeyboardDock(FrmBrowser& form, KeyboardMode mode, const KeyboardLayout& layout);

    // A field of the page got the focus; the keyboard shows if a finger gave
    // it (or for any focus, as the operator chose). Not while the prompt is open.
    void PageFieldFocused(bool byTouch, bool singleLine);
    void PageFieldLeft();
    // The visitor is forgotten: the keyboard goes, unless the prompt has it.
    void PageReset();
    // The hot corner opened the prompt by a finger or the mouse: while the
    // prompt shows, the keyboard types into it, or is hidden.
    void PromptAsked(FrmPassword& prompt, bool byTouch);
    // Places the keyboard on the screen again, and the page above it.
    void Place();

    bool Shown() const;
    OnScreenKeyboard* Keyboard() const { return keyboard_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Serving { Nobody, Page, Prompt };
    void ShowFor(Serving whom);
    void Hide();
    void Typed(const QString& text);
    void KeyTyped(Qt::Key key);
    void SendToPrompt(int key, const QString& text);
    // The prompt never lies under the keyboard: it moves up where it would.
    void KeepPromptAbove();

    FrmBrowser& form_;
    const KeyboardMode mode_;
    OnScreenKeyboard* keyboard_;
    QTimer* raise_;
    Serving serving_ = Serving::Nobody;
    bool singleLine_ = false;
    QPointer<FrmPassword> prompt_;
    bool promptByTouch_ = false;
};

}  // namespace quillory
