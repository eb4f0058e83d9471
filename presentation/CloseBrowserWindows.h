#pragma once
// The presentation's closing walk over the top-level windows. Free of Qt, so
// that the same walk also runs against real Win32 windows.

#include "platform/User32.h"

#include <string>

namespace quillory {

// Asks every other top-level window whose title carries the browser-window
// marker to close, then brings `self` (titled `caption`) back to the front.
// A step that fails is skipped; the walk goes on.
void CloseBrowserWindows(User32& user32, WindowHandle self, const std::string& caption);

}  // namespace quillory
