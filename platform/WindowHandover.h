#pragma once
// The window system's side of handing the screen and the keyboard from one
// instance of the program to the next (see presentation/Renewal.h). The X11
// half is in platform/x11; Windows, where the program never renews itself,
// has stand-ins.

#include <QtGlobal>

namespace quillory {

// Puts a window not yet shown at the bottom of the stack, so that when shown
// it stays behind the windows already on the screen.
void LowerWindow(quint64 window);

// Asks for the keyboard grab over and over, until it is granted or the time
// is up; the grab is the one the keyboard lock holds. Returns whether held.
bool SpinForKeyboard(int timeoutMs);

}  // namespace quillory
