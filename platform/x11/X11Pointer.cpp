#include "platform/Pointer.h"

#include "platform/x11/X11Display.h"

#include <xcb/xfixes.h>

#include <cstdlib>

namespace quillory {

namespace {

// The extension wants its version asked once per connection before use.
bool XFixesReady(xcb_connection_t* c)
{
    static bool ready = [c] {
        const xcb_query_extension_reply_t* extension = xcb_get_extension_data(c, &xcb_xfixes_id);
        if (!extension || !extension->present)
            return false;
        xcb_xfixes_query_version_reply_t* version = xcb_xfixes_query_version_reply(c, xcb_xfixes_query_version(c, 4, 0),
                                                                                   nullptr);
        const bool hides = version && version->major_version >= 4;
        std::free(version);
        return hides;
    }();
    return ready;
}

}  // namespace

void ShowPointer(bool shown)
{
    // The server counts hides per client: keep ours at one at most.
    static bool hidden = false;
    xcb_connection_t* c = QtX11Connection();
    if (!c || hidden == !shown || !XFixesReady(c))
        return;
    const xcb_window_t root = ScreenRootWindow(c);
    if (shown)
        xcb_xfixes_show_cursor(c, root);
    else
        xcb_xfixes_hide_cursor(c, root);
    hidden = !shown;
    xcb_flush(c);
}

}  // namespace quillory
