#include "platform/WindowHandover.h"

#include "platform/x11/X11Display.h"

#include <QElapsedTimer>
#include <xcb/xcb.h>

#include <cstdlib>

namespace quillory {

void LowerWindow(quint64 window)
{
    xcb_connection_t* c = QtX11Connection();
    if (!c)
        return;
    const std::uint32_t below = XCB_STACK_MODE_BELOW;
    xcb_configure_window(c, static_cast<xcb_window_t>(window), XCB_CONFIG_WINDOW_STACK_MODE, &below);
    xcb_flush(c);
}

bool SpinForKeyboard(int timeoutMs)
{
    xcb_connection_t* c = QtX11Connection();
    if (!c)
        return false;
    const xcb_window_t root = ScreenRootWindow(c);
    QElapsedTimer elapsed;
    elapsed.start();
    do {
        xcb_grab_keyboard_reply_t* reply = xcb_grab_keyboard_reply(
            c, xcb_grab_keyboard(c, 1, root, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC), nullptr);
        const bool granted = reply && reply->status == XCB_GRAB_STATUS_SUCCESS;
        std::free(reply);
        if (granted)
            return true;
    } while (elapsed.elapsed() < timeoutMs);
    return false;
}

}  // namespace quillory
