#pragma once
// The mouse pointer of the whole screen, over the program's windows and the
// browser's alike: hidden on a touch kiosk, where the arrow would otherwise
// stand in the middle of the page. The X11 half is in platform/x11, the
// Windows half in platform/win32.

namespace quillory {

// Hides the pointer everywhere on the screen (false), or shows it again.
// Calling it twice the same way is harmless.
void ShowPointer(bool shown);

}  // namespace quillory
