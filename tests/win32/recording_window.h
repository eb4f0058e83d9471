#pragma once
// Top-level test windows that log what reaches them: the two messages the
// closing walk posts, and the keys typed into them. WM_CLOSE destroys them.

#include <windows.h>

#include <vector>

struct WindowLog {
    std::vector<UINT> closeMessages;  // WM_CANCELMODE and WM_CLOSE, in arrival order
    std::vector<UINT> keysDown;       // virtual-key codes of WM_KEYDOWN and WM_SYSKEYDOWN
    bool destroyed = false;
};

HWND CreateRecordingWindow(const char* title, bool shown);
WindowLog& LogOf(HWND window);

// Dispatches this thread's messages until done() holds or timeoutMs passes;
// returns done().
template <typename Condition>
bool PumpMessagesUntil(Condition done, DWORD timeoutMs)
{
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (!done() && GetTickCount64() < end) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (!done())
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return done();
}
