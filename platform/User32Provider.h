#pragma once
// The window-system functions of the machine the program runs on.

#include "platform/User32.h"

namespace quillory {

// X11 on Linux, the real user32.dll on Windows; created on first use.
User32& SystemUser32();

// Tests put a recording fake in place of the real functions; nullptr puts
// the real ones back.
void ReplaceSystemUser32(User32* replacement);

}  // namespace quillory
