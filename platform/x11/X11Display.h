#pragma once
// The program's own X connection, which Qt opened, and its screen's root
// window: what the window functions and the renewal's handover both speak to.

#include <xcb/xcb.h>

#include <cstdint>
#include <initializer_list>

namespace quillory {

// Qt's connection to the X server; null where Qt runs on no X server.
xcb_connection_t* QtX11Connection();

// The root window of the screen that DISPLAY names.
xcb_window_t ScreenRootWindow(xcb_connection_t* c);

// The atom of this name, interned (one round trip).
xcb_atom_t InternAtom(xcb_connection_t* c, const char* name);

// Sends a 32-bit client message and waits for the server to accept it.
bool SendClientMessage(xcb_connection_t* c, xcb_window_t destination, std::uint32_t eventMask, xcb_window_t window,
                       xcb_atom_t type, std::initializer_list<std::uint32_t> data);

// Sends a request about one of the program's windows to the window manager,
// as a client message to the root window.
bool AskWindowManager(xcb_connection_t* c, xcb_window_t window, xcb_atom_t type,
                      std::initializer_list<std::uint32_t> data);

}  // namespace quillory
