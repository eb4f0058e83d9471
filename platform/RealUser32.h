#pragma once
// The real window functions of the system the program runs on. Each window
// system's folder (platform/x11, platform/win32) makes its own.

#include "platform/User32.h"

namespace quillory {

// Made on first use; the program reaches it through SystemUser32().
User32& RealUser32();

}  // namespace quillory
