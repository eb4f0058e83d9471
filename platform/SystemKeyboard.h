#pragma once
// What the system says of its keyboard. The X11 half is in platform/x11, the
// Windows half in platform/win32.

#include <QString>

namespace quillory {

// The keyboard's layout as the X keyboard names it ("us", "de", ...), the
// first where several are set; empty where the system does not say.
QString SystemKeyboardLayoutName();

}  // namespace quillory
