#pragma once
// The window-system functions on Windows: the real user32.dll, loaded by name
// on first use. Free of Qt so that it cross-compiles on its own.
//
// This header deliberately does not include <windows.h>: its macros of the
// same names (WM_CLOSE, GW_HWNDFIRST, ...) would break the constants of
// User32.h in every file that includes it.

#include "platform/User32.h"

#include <cstdint>

namespace quillory {

// Whether a key event belongs to one of the task-switching combinations that
// the lock swallows: Alt+Tab, Alt+Esc, Ctrl+Esc and either Windows key.
// vkCode is a Win32 virtual-key code.
bool IsTaskSwitchKey(std::uint32_t vkCode, bool altDown, bool ctrlDown);

class Win32User32 final : public User32 {
public:
    Win32User32() = default;
    // Never leaves the keys locked behind the program.
    ~Win32User32() override;

    Win32User32(const Win32User32&) = delete;
    Win32User32& operator=(const Win32User32&) = delete;

    WindowHandle GetWindow(WindowHandle hWnd, std::uint32_t uCmd) override;
    std::int32_t GetWindowTextLengthA(WindowHandle hWnd) override;
    std::int32_t GetWindowTextA(WindowHandle hWnd, char* lpString, std::int32_t nMaxCount) override;
    std::int32_t PostMessageA(WindowHandle hWnd, std::uint32_t Msg, std::uintptr_t wParam,
                              std::intptr_t lParam) override;
    std::int32_t SetForegroundWindow(WindowHandle hWnd) override;
    // Passed to Windows; for SPI_SETSCREENSAVERRUNNING also switches the
    // keyboard hook that does the actual locking on Windows NT and later.
    std::int32_t SystemParametersInfoA(std::uint32_t uiAction, std::uint32_t uiParam, void* pvParam,
                                       std::uint32_t fWinIni) override;
    std::int32_t GetLastInputInfo(LASTINPUTINFO* plii) override;
    std::uint32_t GetTickCount() override;
};

}  // namespace quillory
