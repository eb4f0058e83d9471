#pragma once
// The program's own X connection, which Qt opened, and its screen's root
// window: what the window functions and the renewal's handover both speak to.

#include <xcb/xcb.h>

namespace quillory {

// Qt's connection to the X server; null where Qt runs on no X server.
xcb_connection_t* QtX11Connection();

// The root window of the screen that DISPLAY names.
xcb_window_t ScreenRootWindow(xcb_connection_t* c);

}  // namespace quillory
