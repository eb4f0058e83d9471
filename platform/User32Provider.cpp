#include "platform/User32Provider.h"

#ifdef _WIN32
#include "platform/win32/Win32User32.h"
#else
#include "platform/x11/X11User32.h"
#endif

namespace quillory {

namespace {
User32* replacement = nullptr;
}

User32& SystemUser32()
{
    if (replacement)
        return *replacement;
#ifdef _WIN32
    static Win32User32 user32;
#else
    static X11User32 user32;
#endif
    return user32;
}

void ReplaceSystemUser32(User32* fake)
{
    replacement = fake;
}

}  // namespace quillory
