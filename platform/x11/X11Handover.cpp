#include "platform/WindowHandover.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdlib>

namespace quillory {

namespace {

xcb_connection_t* Connection()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

// The root window of the screen that DISPLAY names, as the keyboard lock finds it.
xcb_window_t Root(xcb_connection_t* c)
{
    char* host = nullptr;
    int display = 0;
    int screen = 0;
    if (xcb_parse_display(nullptr, &host, &display, &screen))
        std::free(host);
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screen && it.rem > 1; ++i)
        xcb_screen_next(&it);
    return it.data->root;
}

}  // namespace

void LowerWindow(quint64 window)
{
    xcb_connection_t* c = Connection();
    if (!c)
        return;
    const std::uint32_t below = XCB_STACK_MODE_BELOW;
    xcb_configure_window(c, static_cast<xcb_window_t>(window), XCB_CONFIG_WINDOW_STACK_MODE, &below);
    xcb_flush(c);
}

bool SpinForKeyboard(int timeoutMs)
{
    xcb_connection_t* c = Connection();
    if (!c)
        return false;
    const xcb_window_t root = Root(c);
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
