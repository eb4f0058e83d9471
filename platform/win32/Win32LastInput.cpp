// When a person last used the machine, as Win32User32 answers it: user32's
// own record of the last keyboard, mouse or touch input of the session.

#include "platform/win32/Win32User32.h"

// After User32.h on purpose, as in Win32User32.cpp.
#include <windows.h>

namespace quillory {

namespace {

using GetLastInputInfoFn = BOOL(WINAPI*)(::PLASTINPUTINFO);

// Loaded by name on the first call, as the other user32 functions are.
GetLastInputInfoFn LoadGetLastInputInfo()
{
    static const GetLastInputInfoFn function = [] {
        HMODULE user32 = LoadLibraryA("user32.dll");
        return user32 ? reinterpret_cast<GetLastInputInfoFn>(
                            reinterpret_cast<void (*)()>(GetProcAddress(user32, "GetLastInputInfo")))
                      : nullptr;
    }();
    return function;
}

}  // namespace

std::int32_t Win32User32::GetLastInputInfo(LASTINPUTINFO* plii)
{
    const GetLastInputInfoFn function = LoadGetLastInputInfo();
    if (!function || !plii)
        return 0;
    ::LASTINPUTINFO info{sizeof(::LASTINPUTINFO), 0};
    if (!function(&info))
        return 0;
    plii->dwTime = info.dwTime;
    return 1;
}

std::uint32_t Win32User32::GetTickCount()
{
    return ::GetTickCount();
}

}  // namespace quillory
