#include "platform/x11/X11KeyboardLock.h"

#include "platform/x11/X11Display.h"

#include <QCoreApplication>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>

namespace quillory {

namespace {
// How often to ask for the keyboard again: while another client holds it,
// and as a check while the program holds it.
constexpr int kGrabRetryMs = 100;
}  // namespace

X11KeyboardLock::X11KeyboardLock()
{
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, [this] { tryGrab(); });
}

X11KeyboardLock::~X11KeyboardLock()
{
    setLocked(false);
}

void X11KeyboardLock::setLocked(bool locked)
{
    if (locked == m_locked)
        return;
    m_locked = locked;
    QCoreApplication* app = QCoreApplication::instance();
    if (locked) {
        app->installEventFilter(this);
        app->installNativeEventFilter(this);
        tryGrab();
        return;
    }
    m_retry.stop();
    if (app) {
        app->removeEventFilter(this);
        app->removeNativeEventFilter(this);
    }
    xcb_connection_t* c = QtX11Connection();
    if (m_held && c) {
        xcb_ungrab_keyboard(c, XCB_CURRENT_TIME);
        xcb_flush(c);
    }
    m_held = false;
}

// Qt grabs the keyboard for each of the program's popups (menus, combo
// lists, a page's select lists) and releases it when the popup closes,
// which ends our grab too: take it back.
bool X11KeyboardLock::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Hide && watched->isWindowType() &&
        static_cast<QWindow*>(watched)->type() == Qt::Popup) {
        m_held = false;
        m_retry.start(0);
    }
    return false;
}

// Taking the grab reports the focus as moving from our window up to the
// root, though it stays where it is. Qt would take that for losing the
// focus and deactivate the program, so those reports are dropped.
// A grab is one per client: any code of this process that takes the
// keyboard and lets it go (a dialog's screen picker, a popup) ends ours.
// The server reports every end of a grab as a focus change of mode
// Ungrab; the lock then takes the keyboard back.
bool X11KeyboardLock::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const std::uint8_t type = event->response_type & 0x7f;
    if (type != XCB_FOCUS_OUT && type != XCB_FOCUS_IN)
        return false;
    const auto* focus = static_cast<const xcb_focus_in_event_t*>(message);  // same layout for both
    if (focus->mode == XCB_NOTIFY_MODE_UNGRAB && m_locked) {
        m_held = false;
        m_retry.start(0);
    }
    return type == XCB_FOCUS_OUT && focus->mode == XCB_NOTIFY_MODE_GRAB &&
           (focus->detail == XCB_NOTIFY_DETAIL_ANCESTOR || focus->detail == XCB_NOTIFY_DETAIL_VIRTUAL);
}

// Fails while another client holds the keyboard; tried again until taken.
// Once taken, the grab is asked for again at the same pace, as a check:
// the toolkit may let go of the keyboard in ways that the server reports
// to no window of ours (a popup deleted with its page at the return home,
// a dialog's screen picker), and asking again for a grab this program
// holds changes nothing. It is asked for even while one of the program's
// popups is open: a popup left behind by a deleted page would otherwise
// hold the lock off for good, and the toolkit routes keys to an open popup
// whichever of the program's windows the grab reports them on.
void X11KeyboardLock::tryGrab()
{
    xcb_connection_t* c = QtX11Connection();
    if (!m_locked || !c)
        return;
    xcb_grab_keyboard_reply_t* reply = xcb_grab_keyboard_reply(
        c, xcb_grab_keyboard(c, 1, ScreenRootWindow(c), XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
        nullptr);
    m_held = reply && reply->status == XCB_GRAB_STATUS_SUCCESS;
    std::free(reply);  // xcb's replies are malloc'ed
    m_retry.start(kGrabRetryMs);
}

}  // namespace quillory
