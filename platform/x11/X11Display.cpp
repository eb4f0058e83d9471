#include "platform/x11/X11Display.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <cstdlib>

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

}  // namespace quillory
