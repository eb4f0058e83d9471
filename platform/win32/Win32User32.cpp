#include "platform/win32/Win32User32.h"

#include "platform/RealUser32.h"

// After User32.h on purpose: from here on WM_CLOSE and the like are the
// <windows.h> macros, which carry the same values.
#include <windows.h>

#include <cstdlib>

namespace quillory {

namespace {

// The program's own declarations of the user32 functions it calls by name.
using GetWindowFn = HWND(WINAPI*)(HWND, UINT);
using GetWindowTextLengthAFn = int(WINAPI*)(HWND);
using GetWindowTextAFn = int(WINAPI*)(HWND, LPSTR, int);
using PostMessageAFn = BOOL(WINAPI*)(HWND, UINT, WPARAM, LPARAM);
using SetForegroundWindowFn = BOOL(WINAPI*)(HWND);
using SystemParametersInfoAFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT);

struct User32Functions {
    GetWindowFn getWindow = nullptr;
    GetWindowTextLengthAFn getWindowTextLengthA = nullptr;
    GetWindowTextAFn getWindowTextA = nullptr;
    PostMessageAFn postMessageA = nullptr;
    SetForegroundWindowFn setForegroundWindow = nullptr;
    SystemParametersInfoAFn systemParametersInfoA = nullptr;
};

template <typename Function>
Function Load(HMODULE module, const char* name)
{
    if (module == nullptr)
        return nullptr;
    // Through a generic function pointer, so the compiler accepts the cast.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// Loaded once, on the first call of any of them; a missing one stays null.
const User32Functions& Functions()
{
    static const User32Functions functions = [] {
        User32Functions loaded;
        HMODULE user32 = LoadLibraryA("user32.dll");
        loaded.getWindow = Load<GetWindowFn>(user32, "GetWindow");
        loaded.getWindowTextLengthA = Load<GetWindowTextLengthAFn>(user32, "GetWindowTextLengthA");
        loaded.getWindowTextA = Load<GetWindowTextAFn>(user32, "GetWindowTextA");
        loaded.postMessageA = Load<PostMessageAFn>(user32, "PostMessageA");
        loaded.setForegroundWindow = Load<SetForegroundWindowFn>(user32, "SetForegroundWindow");
        loaded.systemParametersInfoA = Load<SystemParametersInfoAFn>(user32, "SystemParametersInfoA");
        return loaded;
    }();
    return functions;
}

HWND ToHwnd(WindowHandle handle)
{
    return reinterpret_cast<HWND>(handle);
}

// The task-switch lock belongs to the process, as the hook does.
HHOOK taskSwitchHook = nullptr;
bool screenSaverFlagOn = false;
bool releaseAtExitRegistered = false;

LRESULT CALLBACK SwallowTaskSwitchKeys(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (nCode == HC_ACTION) {
        const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        // Injected input may come without the event's own Alt flag (Wine
        // leaves it clear), so a held Alt key counts as well.
        const bool altDown = (key->flags & LLKHF_ALTDOWN) != 0 || (GetAsyncKeyState(VK_MENU) & 0x8000) != 0;
        const bool ctrlDown = (GetAsyncKeyState(VK_CONTROL) & 0x8000) != 0;
        if (IsTaskSwitchKey(key->vkCode, altDown, ctrlDown))
            return 1;  // swallowed: neither the shell nor any window sees it
    }
    return CallNextHookEx(nullptr, nCode, wParam, lParam);
}

void InstallTaskSwitchHook()
{
    if (taskSwitchHook != nullptr)
        return;
    taskSwitchHook = SetWindowsHookExA(WH_KEYBOARD_LL, SwallowTaskSwitchKeys, GetModuleHandleA(nullptr), 0);
}

void RemoveTaskSwitchHook()
{
    if (taskSwitchHook == nullptr)
        return;
    UnhookWindowsHookEx(taskSwitchHook);
    taskSwitchHook = nullptr;
}

// Runs from the destructor and, for an exit() that skips it, from atexit.
void ReleaseTaskSwitchLock()
{
    RemoveTaskSwitchHook();
    if (!screenSaverFlagOn)
        return;
    screenSaverFlagOn = false;
    if (auto setParameter = Functions().systemParametersInfoA) {
        BOOL previous = FALSE;
        setParameter(SPI_SETSCREENSAVERRUNNING, FALSE, &previous, 0);
    }
}

}  // namespace

bool IsTaskSwitchKey(std::uint32_t vkCode, bool altDown, bool ctrlDown)
{
    switch (vkCode) {
    case VK_LWIN:
    case VK_RWIN:
        return true;
    case VK_TAB:
        return altDown;
    case VK_ESCAPE:
        return altDown || ctrlDown;
    default:
        return false;
    }
}

Win32User32::~Win32User32()
{
    ReleaseTaskSwitchLock();
}

WindowHandle Win32User32::GetWindow(WindowHandle hWnd, std::uint32_t uCmd)
{
    auto function = Functions().getWindow;
    return function ? reinterpret_cast<WindowHandle>(function(ToHwnd(hWnd), uCmd)) : 0;
}

std::int32_t Win32User32::GetWindowTextLengthA(WindowHandle hWnd)
{
    auto function = Functions().getWindowTextLengthA;
    return function ? function(ToHwnd(hWnd)) : 0;
}

std::int32_t Win32User32::GetWindowTextA(WindowHandle hWnd, char* lpString, std::int32_t nMaxCount)
{
    auto function = Functions().getWindowTextA;
    return function ? function(ToHwnd(hWnd), lpString, nMaxCount) : 0;
}

std::int32_t Win32User32::PostMessageA(WindowHandle hWnd, std::uint32_t Msg, std::uintptr_t wParam,
                                       std::intptr_t lParam)
{
    auto function = Functions().postMessageA;
    return function ? function(ToHwnd(hWnd), Msg, wParam, lParam) : 0;
}

std::int32_t Win32User32::SetForegroundWindow(WindowHandle hWnd)
{
    auto function = Functions().setForegroundWindow;
    return function ? function(ToHwnd(hWnd)) : 0;
}

std::int32_t Win32User32::SystemParametersInfoA(std::uint32_t uiAction, std::uint32_t uiParam, void* pvParam,
                                                std::uint32_t fWinIni)
{
    auto function = Functions().systemParametersInfoA;
    if (function == nullptr)
        return 0;
    const BOOL result = function(uiAction, uiParam, pvParam, fWinIni);
    if (uiAction != SPI_SETSCREENSAVERRUNNING)
        return result;

    // Since Windows NT the flag alone no longer stops task switching, so the
    // hook does the locking, whatever Windows made of the flag.
    if (uiParam != 0) {
        screenSaverFlagOn = true;
        InstallTaskSwitchHook();
        if (!releaseAtExitRegistered)
            releaseAtExitRegistered = std::atexit(ReleaseTaskSwitchLock) == 0;
    } else {
        screenSaverFlagOn = false;
        RemoveTaskSwitchHook();
    }
    return result;
}

User32& RealUser32()
{
    static Win32User32 user32;
    return user32;
}

}  // namespace quillory
