// Checks the Win32 window-function layer against real windows, real keyboard
// input and a second process (this program started again with "other"),
// under Windows or Wine.

#include "platform/win32/Win32User32.h"

#include "presentation/CloseBrowserWindows.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

using quillory::Win32User32;

namespace {

int passed = 0;
int failed = 0;

void Check(bool ok, const std::string& what)
{
    ++(ok ? passed : failed);
    if (!ok)
        std::printf("FAIL: %s\n", what.c_str());
}

// What reached a test window: the two messages the closing walk posts, and keys.
struct WindowLog {
    std::vector<UINT> closeMessages;  // WM_CANCELMODE and WM_CLOSE, in arrival order
    std::vector<UINT> keysDown;       // virtual-key codes of WM_KEYDOWN and WM_SYSKEYDOWN
    bool destroyed = false;
};
std::map<HWND, WindowLog> logs;

LRESULT CALLBACK RecordingWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    WindowLog& log = logs[window];
    if (message == WM_CANCELMODE || message == WM_CLOSE)
        log.closeMessages.push_back(message);
    if (message == WM_CLOSE)
        DestroyWindow(window);
    log.destroyed |= message == WM_NCDESTROY;
    if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN)
        log.keysDown.push_back(static_cast<UINT>(wParam));
    // System keys are kept from DefWindowProc: a lone Alt release would open
    // the window menu, whose modal loop would stall the test.
    if (message == WM_CLOSE || message == WM_SYSKEYDOWN || message == WM_SYSKEYUP)
        return 0;
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateRecordingWindow(const std::string& title, bool shown)
{
    static const ATOM windowClass = [] {
        WNDCLASSA c{};
        c.lpfnWndProc = RecordingWindowProc;
        c.hInstance = GetModuleHandleA(nullptr);
        c.lpszClassName = "QuilloryRecordingWindow";
        return RegisterClassA(&c);
    }();
    return CreateWindowExA(0, MAKEINTATOM(windowClass), title.c_str(), WS_OVERLAPPEDWINDOW | (shown ? WS_VISIBLE : 0),
                           10, 10, 320, 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

// Dispatches this thread's messages until done() holds or timeoutMs passes; returns done().
template <typename Condition>
bool PumpMessagesUntil(Condition done, DWORD timeoutMs)
{
    for (const ULONGLONG end = GetTickCount64() + timeoutMs; !done() && GetTickCount64() < end;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return done();
}

// --- the keyboard lock -------------------------------------------------------

// The keys that reach the focused window when modifier (0 for none) is held
// while key is tapped.
std::vector<UINT> KeysReaching(HWND window, WORD modifier, WORD key)
{
    const WORD endMarker = VK_F9;
    std::vector<INPUT> sequence;
    for (const auto& [k, flags] : {std::pair<WORD, DWORD>{modifier, 0},
                                   {key, 0},
                                   {key, KEYEVENTF_KEYUP},
                                   {modifier, KEYEVENTF_KEYUP},
                                   {endMarker, 0},
                                   {endMarker, KEYEVENTF_KEYUP}}) {
        if (k != 0) {
            sequence.push_back(INPUT{INPUT_KEYBOARD, {}});
            sequence.back().ki.wVk = k;
            sequence.back().ki.dwFlags = flags;
        }
    }
    SetForegroundWindow(window);
    SetFocus(window);
    std::vector<UINT>& keys = logs[window].keysDown;
    keys.clear();
    // Sent from a second thread: the hook runs on the thread that installed
    // it, and that thread has to pump messages meanwhile.
    HANDLE sender = CreateThread(
        nullptr, 0,
        [](void* inputs) -> DWORD {
            auto* sequence = static_cast<std::vector<INPUT>*>(inputs);
            return SendInput(static_cast<UINT>(sequence->size()), sequence->data(), sizeof(INPUT));
        },
        &sequence, 0, nullptr);
    const bool arrived = PumpMessagesUntil([&] { return !keys.empty() && keys.back() == endMarker; }, 3000);
    WaitForSingleObject(sender, 3000);
    CloseHandle(sender);
    if (!arrived)
        return {0xFFFF};  // matches no expectation
    keys.pop_back();
    return keys;
}

void CheckKeys(HWND window, bool lockOn, const char* state)
{
    const struct {
        const char* name;
        WORD modifier;
        WORD key;
        bool lockedOut;
    } typings[] = {{"A", 0, 'A', false},
                   {"left Windows", 0, VK_LWIN, true},
                   {"right Windows", 0, VK_RWIN, true},
                   {"Alt+Tab", VK_MENU, VK_TAB, true},
                   {"Alt+Esc", VK_MENU, VK_ESCAPE, true},
                   {"Ctrl+Esc", VK_CONTROL, VK_ESCAPE, true},
                   {"Ctrl+Tab", VK_CONTROL, VK_TAB, false},
                   {"Esc", 0, VK_ESCAPE, false},
                   {"Tab", 0, VK_TAB, false}};
    for (const auto& typing : typings) {
        std::vector<UINT> expected;
        if (typing.modifier != 0)
            expected.push_back(typing.modifier);
        if (!(lockOn && typing.lockedOut))
            expected.push_back(typing.key);
        Check(KeysReaching(window, typing.modifier, typing.key) == expected,
              std::string(typing.name) + (lockOn && typing.lockedOut ? " is swallowed " : " reaches the window ") +
                  state);
    }
}

void TestLockSwallowsTaskSwitchKeys()
{
    HWND window = CreateRecordingWindow("Quillory keyboard", true);
    BOOL previous = FALSE;
    CheckKeys(window, false, "before any lock");
    {
        Win32User32 user32;
        user32.SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, quillory::API_TRUE, &previous, 0);
        user32.SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, quillory::API_TRUE, &previous, 0);
        CheckKeys(window, true, "while locked (locked twice)");
        // One unlock after two locks: a second, stacked hook would still swallow.
        user32.SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, quillory::API_FALSE, &previous, 0);
        CheckKeys(window, false, "after one unlock");
        user32.SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, quillory::API_TRUE, &previous, 0);
    }
    CheckKeys(window, false, "after the layer is destroyed while locked");
    DestroyWindow(window);
}

// --- the closing walk --------------------------------------------------------

// The windows each of the two processes opens for the walk: the marked ones
// must get WM_CANCELMODE, then WM_CLOSE, and close; the others are left alone.
struct Case {
    std::string title;
    bool shown;
    bool marked;
    HWND window = nullptr;
};

std::vector<Case> OpenWindows()
{
    const std::string marker = "Microsoft Internet Explorer";
    std::vector<Case> cases = {{marker, true, true},
                               {"Page - " + marker, false, true},
                               {marker + " (hidden)", false, true},
                               // Longer than any fixed buffer, with the marker only at its very end.
                               {std::string(600, 'x') + " - " + marker, true, true},
                               {"microsoft internet explorer", true, false},
                               {"", true, false},
                               {"Notes", false, false}};
    for (Case& c : cases)
        c.window = CreateRecordingWindow(c.title, c.shown);
    return cases;
}

// Waits for the marked windows to close, then checks what reached each window.
void CheckWindows(const std::vector<Case>& cases)
{
    PumpMessagesUntil(
        [&] {
            return std::all_of(cases.begin(), cases.end(),
                               [](const Case& c) { return !c.marked || logs[c.window].destroyed; });
        },
        10000);
    for (const Case& c : cases) {
        const std::string name = "\"" + c.title.substr(0, 40) + "\" (" + (c.shown ? "shown" : "hidden") + ")";
        const WindowLog& log = logs[c.window];
        if (c.marked)
            Check(log.closeMessages == std::vector<UINT>{WM_CANCELMODE, WM_CLOSE} && log.destroyed &&
                      !IsWindow(c.window),
                  name + " gets WM_CANCELMODE, then WM_CLOSE, and closes");
        else
            Check(log.closeMessages.empty() && IsWindow(c.window), name + " is left alone");
    }
}

// The other process: the same windows, and a hidden one last to say they are
// open; its exit code is the number of failed checks.
int RunOtherProcess()
{
    const std::vector<Case> cases = OpenWindows();
    CreateRecordingWindow("Other process ready", false);
    CheckWindows(cases);
    return failed;
}

void TestClosingWalk()
{
    HWND own = CreateRecordingWindow("Quillory", true);
    const std::vector<Case> cases = OpenWindows();
    char path[MAX_PATH];
    std::string commandLine = "\"" + std::string(path, GetModuleFileNameA(nullptr, path, MAX_PATH)) + "\" other";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION other{};
    const bool started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                        &startup, &other);
    Check(started && PumpMessagesUntil([] { return FindWindowA(nullptr, "Other process ready") != nullptr; }, 10000),
          "the other process starts and opens its windows");

    // Someone else is in front, as when the program is being closed.
    SetForegroundWindow(cases[4].window);
    Win32User32 user32;
    quillory::CloseBrowserWindows(user32, reinterpret_cast<quillory::WindowHandle>(own), "Quillory");
    // Checked at once: Wine keeps no real stacking order, and may hand the
    // foreground elsewhere when the other process's windows go away.
    Check(GetForegroundWindow() == own, "the walk brings the program's own window to the foreground");
    CheckWindows(cases);
    Check(logs[own].closeMessages.empty() && IsWindow(own), "the program's own window is left alone");

    DWORD exitCode = STILL_ACTIVE;
    if (started && WaitForSingleObject(other.hProcess, 15000) != WAIT_OBJECT_0)
        TerminateProcess(other.hProcess, 99);
    GetExitCodeProcess(other.hProcess, &exitCode);
    Check(exitCode == 0, "the other process's windows: exit code " + std::to_string(exitCode) + ", its failed checks");
}

// A key sent as a person's input moves the time of the last input to now, on
// the clock the program reads it against.
void TestLastInput()
{
    Win32User32 user32;
    quillory::LASTINPUTINFO before;
    Check(user32.GetLastInputInfo(&before) != 0, "the last input can be read");
    Sleep(100);
    INPUT shift[2] = {{INPUT_KEYBOARD, {}}, {INPUT_KEYBOARD, {}}};
    shift[0].ki.wVk = shift[1].ki.wVk = VK_SHIFT;
    shift[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, shift, sizeof(INPUT));
    quillory::LASTINPUTINFO after;
    Check(user32.GetLastInputInfo(&after) != 0 && after.dwTime != before.dwTime &&
              user32.GetTickCount() - after.dwTime < 1000,
          "a key makes the last input now");
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "other") == 0)
        return RunOtherProcess();
    TestLockSwallowsTaskSwitchKeys();
    TestClosingWalk();
    TestLastInput();
    std::printf("win32_layer_test: %d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
