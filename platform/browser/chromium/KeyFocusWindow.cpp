#include "platform/browser/chromium/KeyFocusWindow.h"

#include "platform/ProcessWindows.h"
#include "platform/browser/chromium/WindowHolder.h"

#include <QCoreApplication>
#include <QEvent>

namespace quillory {

KeyFocusWindow::KeyFocusWindow(QWidget* parent, QWidget* receiver, QWidget* browserArea,
                               std::function<bool()> mayTakeFocus)
    : QWidget(parent),
      receiver_(receiver),
      browserArea_(browserArea),
      mayTakeFocus_(std::move(mayTakeFocus))
{
    setAttribute(Qt::WA_NativeWindow);
    setGeometry(0, 0, 1, 1);
    lower();
    NameHelperWindow(*this, "keys");
    QCoreApplication::instance()->installNativeEventFilter(this);
}

KeyFocusWindow::~KeyFocusWindow()
{
    QCoreApplication::instance()->removeNativeEventFilter(this);
}

void KeyFocusWindow::TakeFocus()
{
    FocusWindow(winId());
}

bool KeyFocusWindow::event(QEvent* event)
{
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)
        return QCoreApplication::sendEvent(receiver_, event);
    return QWidget::event(event);
}

// With the focus on the top-level window, X gives keys to the browser's
// window below the pointer; without a window manager the browser takes the
// focus itself when its window is clicked. Either way the focus comes here
// at once. The toolkit sees neither: its window stays the focused one.
// While the keyboard lock holds the keyboard, focus moves are reported as
// made during a grab and are left alone, so that the browser keeps the
// focus its lists need: the lock's grab then reports the keys on the root
// window, and those meant for a window within this one come here.
bool KeyFocusWindow::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (IsKeyOnRoot(eventType, message)) {
        if (FocusIsWithin(window()->winId()))
            ReportKeyOn(message, winId());
        return false;
    }
    quint64 window = 0;
    const FocusChange change = FocusChangeOf(eventType, message, &window);
    if (change == FocusChange::Arrived && window == this->window()->winId() && mayTakeFocus_())
        TakeFocus();
    else if (change == FocusChange::Left && window == winId() && FocusIsWithin(browserArea_->winId()))
        TakeFocus();
    return false;
}

}  // namespace quillory
