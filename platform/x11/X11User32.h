#pragma once
// The window functions on X11. Everything goes through the xcb connection Qt
// already has, on the GUI thread. Without one (the offscreen platform) every
// call does nothing and returns 0.

#include "platform/User32.h"
#include "platform/x11/X11KeyboardLock.h"

namespace quillory {

class X11User32 final : public User32 {
public:
    WindowHandle GetWindow(WindowHandle hWnd, std::uint32_t uCmd) override;
    std::int32_t GetWindowTextLengthA(WindowHandle hWnd) override;
    std::int32_t GetWindowTextA(WindowHandle hWnd, char* lpString, std::int32_t nMaxCount) override;
    std::int32_t PostMessageA(WindowHandle hWnd, std::uint32_t Msg, std::uintptr_t wParam,
                              std::intptr_t lParam) override;
    std::int32_t SetForegroundWindow(WindowHandle hWnd) override;
    std::int32_t SystemParametersInfoA(std::uint32_t uiAction, std::uint32_t uiParam, void* pvParam,
                                       std::uint32_t fWinIni) override;
    std::int32_t GetLastInputInfo(LASTINPUTINFO* plii) override;
    std::uint32_t GetTickCount() override;

private:
    X11KeyboardLock m_keyboardLock;
};

}  // namespace quillory
