#include "platform/x11/X11Display.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace quillory {

xcb_connection_t* QtX11Connection()
{
    if (!qGuiApp)
        return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_window_t ScreenRootWindow(xcb_connection_t* c)
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

xcb_atom_t InternAtom(xcb_connection_t* c, const char* name)
{
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

bool SendClientMessage(xcb_connection_t* c, xcb_window_t destination, std::uint32_t eventMask, xcb_window_t window,
                       xcb_atom_t type, std::initializer_list<std::uint32_t> data)
{
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    std::copy(data.begin(), data.end(), event.data.data32);
    xcb_generic_error_t* error = xcb_request_check(
        c, xcb_send_event_checked(c, 0, destination, eventMask, reinterpret_cast<const char*>(&event)));
    std::free(error);
    return !error;
}

bool AskWindowManager(xcb_connection_t* c, xcb_window_t window, xcb_atom_t type,
                      std::initializer_list<std::uint32_t> data)
{
    return SendClientMessage(c, ScreenRootWindow(c),
                             XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY, window, type,
                             data);
}

}  // namespace quillory
