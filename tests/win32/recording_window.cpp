#include "recording_window.h"

#include <map>

namespace {

std::map<HWND, WindowLog> logs;

LRESULT CALLBACK RecordingWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CANCELMODE:
        logs[window].closeMessages.push_back(message);
        break;
    case WM_CLOSE:
        logs[window].closeMessages.push_back(message);
        DestroyWindow(window);
        return 0;
    case WM_NCDESTROY:
        logs[window].destroyed = true;
        break;
    case WM_KEYDOWN:
        logs[window].keysDown.push_back(static_cast<UINT>(wParam));
        break;
    case WM_SYSKEYDOWN:
        logs[window].keysDown.push_back(static_cast<UINT>(wParam));
        return 0;
    case WM_SYSKEYUP:
        // Kept from DefWindowProc: a lone Alt release would open the window
        // menu and its modal loop would stall the test.
        return 0;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

const char* RecordingClassName()
{
    static const char* name = [] {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = RecordingWindowProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "QuilloryRecordingWindow";
        RegisterClassA(&windowClass);
        return windowClass.lpszClassName;
    }();
    return name;
}

}  // namespace

HWND CreateRecordingWindow(const char* title, bool shown)
{
    const DWORD style = WS_OVERLAPPEDWINDOW | (shown ? WS_VISIBLE : 0);
    return CreateWindowExA(0, RecordingClassName(), title, style, 10, 10, 320, 200, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

WindowLog& LogOf(HWND window)
{
    return logs[window];
}
