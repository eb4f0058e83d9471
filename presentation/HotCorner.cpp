// The hot corner of the presentation window: a press on the window's thin
// left strip, held while the pointer goes into the bottom-left corner of the
// leftmost screen, opens the exit password prompt.

#include "exit/frmPassword.h"
#include "platform/KeyCodes.h"
#include "platform/ProgramEnd.h"
#include "presentation/KeyboardDock.h"
#include "presentation/frmBrowser.h"

#include <QApplication>
#include <QMouseEvent>

namespace quillory {

namespace {
constexpr float kCornerSize = 20;  // twips

// A page's list (a select list, a text input's suggestions) is a popup: while
// one is open the toolkit gives it every mouse event, and a press anywhere
// else only closes it. A press on the strip starts the gesture all the same:
// the lists close, and the window holds the mouse until the button is let go.
class StripPressBehindPopups final : public QObject {
public:
    explicit StripPressBehindPopups(FrmBrowser& form) : QObject(&form), form_(form) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonRelease && holding_) {
            holding_ = false;
            form_.releaseMouse();
            return false;
        }
        if (event->type() != QEvent::MouseButtonPress || !QApplication::activePopupWidget())
            return false;
        const auto* press = static_cast<QMouseEvent*>(event);
        if (press->button() != Qt::LeftButton || QApplication::widgetAt(press->globalPosition().toPoint()) != &form_)
            return false;
        for (QWidget* popup : QApplication::topLevelWidgets()) {
            if (popup->windowType() == Qt::Popup && popup->isVisible())
                popup->close();
        }
        form_.grabMouse();
        holding_ = true;
        return true;
    }

private:
    FrmBrowser& form_;
    bool holding_ = false;
};
}  // namespace

void FrmBrowser::WatchStripBehindPopups()
{
    qApp->installEventFilter(new StripPressBehindPopups(*this));
}

void FrmBrowser::Form_MouseMove(std::int16_t Button, std::int16_t, float X, float Y)
{
    const float bottom = CornerBottom() - kCornerSize;
    if (!(X < kCornerSize && Y > bottom && Button == kLeftButton))
        return;
    FrmPassword& prompt = frmPassword();  // loading it ends the program when no password is set
    if (ProgramEnded())
        return;
    prompt.Show();
    keyboardDock_->PromptAsked(prompt, movedByTouch_);
    PasswordShown = True;
}

}  // namespace quillory
