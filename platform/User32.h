#pragma once
// The handful of window-system functions the program calls by their old
// User32 names. One implementation talks to X11, one to the real Win32
// user32.dll, and tests use a recording fake; callers never know which.
// This header stays free of Qt so that the Win32 implementation can be
// cross-compiled on its own.

#include <cstdint>

namespace quillory {

using WindowHandle = std::uintptr_t;

constexpr std::uint32_t GW_HWNDFIRST = 0;
constexpr std::uint32_t GW_HWNDNEXT = 2;
constexpr std::uint32_t WM_CLOSE = 0x10;
constexpr std::uint32_t WM_CANCELMODE = 0x1F;
constexpr std::uint32_t SPI_SETSCREENSAVERRUNNING = 97;
constexpr std::uint32_t API_TRUE = 0xFFFFFFFFu;  // TRUE as the old callers passed it: -1
constexpr std::uint32_t API_FALSE = 0;

// When a person last used the keyboard, a mouse button, the wheel or a touch
// screen, on the GetTickCount clock.
struct LASTINPUTINFO {
    std::uint32_t cbSize = sizeof(LASTINPUTINFO);
    std::uint32_t dwTime = 0;
};

class User32 {
public:
    virtual ~User32() = default;

    // The first (GW_HWNDFIRST) or next (GW_HWNDNEXT) top-level window in Z
    // order, topmost first; 0 ends the walk.
    virtual WindowHandle GetWindow(WindowHandle hWnd, std::uint32_t uCmd) = 0;
    virtual std::int32_t GetWindowTextLengthA(WindowHandle hWnd) = 0;
    // Copies at most nMaxCount - 1 bytes of the title plus a terminating NUL;
    // returns the number of bytes copied, without the NUL.
    virtual std::int32_t GetWindowTextA(WindowHandle hWnd, char* lpString, std::int32_t nMaxCount) = 0;
    virtual std::int32_t PostMessageA(WindowHandle hWnd, std::uint32_t Msg, std::uintptr_t wParam,
                                      std::intptr_t lParam) = 0;
    virtual std::int32_t SetForegroundWindow(WindowHandle hWnd) = 0;
    // Only SPI_SETSCREENSAVERRUNNING is used: uiParam nonzero locks the
    // task-switching keys, zero unlocks them. pvParam receives the previous state.
    virtual std::int32_t SystemParametersInfoA(std::uint32_t uiAction, std::uint32_t uiParam, void* pvParam,
                                               std::uint32_t fWinIni) = 0;
    // Fills plii->dwTime with the time of the last input from a person;
    // returns nonzero on success.
    virtual std::int32_t GetLastInputInfo(LASTINPUTINFO* plii) = 0;
    // Milliseconds on a steady clock, wrapping every 49.7 days: the clock of
    // GetLastInputInfo. Differences taken in 32-bit unsigned arithmetic
    // stay right across the wrap.
    virtual std::uint32_t GetTickCount() = 0;
};

}  // namespace quillory
