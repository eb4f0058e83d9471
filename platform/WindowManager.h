#pragma once
// What the program asks of the window manager for its own windows, where
// one runs. The X11 half is in platform/x11; Windows has no shaded windows
// or desktops a window can be sent to, and has stand-ins.

#include <QtGlobal>

namespace quillory {

// Undoes what a window manager may have done to a shown window: shaded it,
// kept it below the others, or left it on another desktop than the one on
// the screen. Then asks for it to be raised and given the focus.
void BringBackToScreen(quint64 window);

// Asks for a window to be on every desktop, so that switching desktops
// never uncovers what is behind it. Works before and after it is shown.
void ShowOnEveryDesktop(quint64 window);

}  // namespace quillory
