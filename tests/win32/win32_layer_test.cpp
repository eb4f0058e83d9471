// Checks the Win32 window-function layer against real windows, real keyboard
// input and a second process (this program started again with an event name),
// under Windows or Wine.

#include "platform/win32/Win32User32.h"

#include "presentation/CloseBrowserWindows.h"

#include <windows.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

using quillory::Win32User32;
using quillory::WindowHandle;

namespace {

// What reached a test window: the two messages the closing walk posts, and keys.
struct WindowLog {
    std::vector<UINT> closeMessages;  // WM_CANCELMODE and WM_CLOSE, in arrival order
    std::vector<UINT> keysDown;       // virtual-key codes of WM_KEYDOWN and WM_SYSKEYDOWN
    bool destroyed = false;
};
std::map<HWND, WindowLog> logs;
WindowLog& LogOf(HWND window)
{
    return logs[window];
}
const std::vector<UINT> closeSequence = {WM_CANCELMODE, WM_CLOSE};

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
    // Kept from DefWindowProc: a lone Alt release would open the window menu,
    // whose modal loop would stall the test.
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

int passed = 0;
int failed = 0;

void Check(bool ok, const std::string& what)
{
    if (ok) {
        ++passed;
    } else {
        ++failed;
        std::printf("FAIL: %s\n", what.c_str());
    }
}

WindowHandle HandleOf(HWND window)
{
    return reinterpret_cast<WindowHandle>(window);
}

// Keys are injected from a second thread, because the hook runs on the thread
// that installed it, and that thread has to pump messages meanwhile.
DWORD WINAPI SendKeys(void* inputs)
{
    auto* sequence = static_cast<std::vector<INPUT>*>(inputs);
    SendInput(static_cast<UINT>(sequence->size()), sequence->data(), sizeof(INPUT));
    return 0;
}

INPUT Key(WORD key, bool up)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

// The keys that reach the focused window when modifier (0 for none) is held
// while key is tapped.
std::vector<UINT> KeysReaching(HWND window, WORD modifier, WORD key)
{
    const WORD endMarker = VK_F9;
    std::vector<INPUT> sequence;
    if (modifier != 0)
        sequence.push_back(Key(modifier, false));
    sequence.push_back(Key(key, false));
    sequence.push_back(Key(key, true));
    if (modifier != 0)
        sequence.push_back(Key(modifier, true));
    sequence.push_back(Key(endMarker, false));
    sequence.push_back(Key(endMarker, true));

    SetForegroundWindow(window);
    SetFocus(window);
    std::vector<UINT>& keys = LogOf(window).keysDown;
    keys.clear();
    HANDLE sender = CreateThread(nullptr, 0, SendKeys, &sequence, 0, nullptr);
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
    struct Typing {
        const char* name;
        WORD modifier;
        WORD key;
        bool lockedOut;
    };
    const Typing typings[] = {
        {"A", 0, 'A', false},
        {"left Windows", 0, VK_LWIN, true},
        {"right Windows", 0, VK_RWIN, true},
        {"Alt+Tab", VK_MENU, VK_TAB, true},
        {"Alt+Esc", VK_MENU, VK_ESCAPE, true},
        {"Ctrl+Esc", VK_CONTROL, VK_ESCAPE, true},
        {"Ctrl+Tab", VK_CONTROL, VK_TAB, false},
        {"Esc", 0, VK_ESCAPE, false},
        {"Tab", 0, VK_TAB, false},
    };
    for (const Typing& typing : typings) {
        std::vector<UINT> expected;
        if (typing.modifier != 0)
            expected.push_back(typing.modifier);
        if (!(lockOn && typing.lockedOut))
            expected.push_back(typing.key);
        const bool swallowed = expected.empty() || expected.back() != typing.key;
        Check(KeysReaching(window, typing.modifier, typing.key) == expected,
              std::string(typing.name) + (swallowed ? " is swallowed " : " reaches the window ") + state);
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

// Starts this program again as the other process and waits until its windows
// exist; returns its process handle, or nullptr.
HANDLE StartMarkerProcess()
{
    char path[MAX_PATH];
    const std::string eventName = "QuilloryMarkersReady-" + std::to_string(GetCurrentProcessId());
    std::string commandLine = "\"" + std::string(path, GetModuleFileNameA(nullptr, path, MAX_PATH)) + "\" " + eventName;
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        CloseHandle(ready);
        return nullptr;
    }
    CloseHandle(process.hThread);
    HANDLE waitFor[] = {ready, process.hProcess};
    const DWORD which = WaitForMultipleObjects(2, waitFor, FALSE, 10000);
    CloseHandle(ready);
    if (which != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 99);
        CloseHandle(process.hProcess);
        return nullptr;
    }
    return process.hProcess;
}

void TestClosingWalk()
{
    struct Case {
        std::string title;
        bool shown;
        bool marked;
        HWND window = nullptr;
    };
    const std::string marker = "Microsoft Internet Explorer";
    std::vector<Case> cases = {
        {marker, true, true},
        {"Page - " + marker, false, true},
        {marker + " (hidden)", false, true},
        // Longer than any fixed buffer, with the marker only at its very end.
        {std::string(600, 'x') + " - " + marker, true, true},
        {"microsoft internet explorer", true, false},
        {"Page - Microsoft Internet Explore", true, false},
        {"", true, false},
        {"", false, false},
        {"Notes", false, false},
    };
    HWND own = CreateRecordingWindow("Quillory", true);
    for (Case& c : cases)
        c.window = CreateRecordingWindow(c.title.c_str(), c.shown);
    HANDLE other = StartMarkerProcess();
    Check(other != nullptr, "the marker process starts and opens its windows");
    if (other == nullptr)
        return;

    // Someone else is in front, as when the program is being closed.
    SetForegroundWindow(cases[4].window);
    Win32User32 user32;
    quillory::CloseBrowserWindows(user32, HandleOf(own), "Quillory");
    // Checked at once: Wine keeps no real stacking order, and may hand the
    // foreground elsewhere when the other process's windows go away.
    Check(GetForegroundWindow() == own, "the walk brings the program's own window to the foreground");

    PumpMessagesUntil(
        [&] {
            for (const Case& c : cases)
                if (c.marked && !LogOf(c.window).destroyed)
                    return false;
            return WaitForSingleObject(other, 0) == WAIT_OBJECT_0;
        },
        10000);

    for (const Case& c : cases) {
        const std::string name = "\"" + c.title.substr(0, 40) + "\" (" + (c.shown ? "shown" : "hidden") + ")";
        const WindowLog& log = LogOf(c.window);
        if (c.marked)
            Check(log.closeMessages == closeSequence && log.destroyed && !IsWindow(c.window),
                  name + " gets WM_CANCELMODE, then WM_CLOSE, and closes");
        else
            Check(log.closeMessages.empty() && IsWindow(c.window), name + " is left alone");
    }
    Check(LogOf(own).closeMessages.empty() && IsWindow(own), "the program's own window is left alone");

    DWORD exitCode = STILL_ACTIVE;
    if (WaitForSingleObject(other, 0) != WAIT_OBJECT_0)
        TerminateProcess(other, 99);
    GetExitCodeProcess(other, &exitCode);
    CloseHandle(other);
    Check(exitCode == 0,
          "the other process's shown and hidden markers get WM_CANCELMODE, then WM_CLOSE, and close (exit code " +
              std::to_string(exitCode) + ")");

    for (const Case& c : cases)
        if (IsWindow(c.window))
            DestroyWindow(c.window);
    DestroyWindow(own);
}

// The other process: two marker windows (one shown, one hidden) and one that
// must be left alone. It signals the named event once they exist and exits
// when both markers are gone, with 0 only if each got WM_CANCELMODE then
// WM_CLOSE and nothing else was touched.
int RunMarkerProcess(const char* readyEvent)
{
    const HWND markers[] = {CreateRecordingWindow("Other process - Microsoft Internet Explorer", true),
                            CreateRecordingWindow("Microsoft Internet Explorer", false)};
    const HWND bystander = CreateRecordingWindow("Other process notes", true);
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, readyEvent);
    if (!markers[0] || !markers[1] || !bystander || !ready || !SetEvent(ready))
        return 2;
    const auto closed = [&](HWND w) { return LogOf(w).destroyed && LogOf(w).closeMessages == closeSequence; };
    PumpMessagesUntil([&] { return LogOf(markers[0]).destroyed && LogOf(markers[1]).destroyed; }, 15000);
    return closed(markers[0]) && closed(markers[1]) && IsWindow(bystander) && LogOf(bystander).closeMessages.empty()
               ? 0
               : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2)
        return RunMarkerProcess(argv[1]);
    TestLockSwallowsTaskSwitchKeys();
    TestClosingWalk();
    std::printf("win32_layer_test: %d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
