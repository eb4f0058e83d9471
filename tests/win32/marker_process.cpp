// The other process for the closing-walk test: two marker windows (one shown,
// one hidden) and one window that must be left alone. It signals the named
// event from its command line once they exist and exits when both markers are
// gone, with 0 only if each got WM_CANCELMODE then WM_CLOSE and nothing else
// was touched.
//   marker_process.exe READY-EVENT-NAME

#include "recording_window.h"

#include <cstdio>

namespace {

enum ExitCode { Closed = 0, WrongMessages = 1, SetupFailed = 2, TimedOut = 3 };

bool GotCloseSequence(HWND window)
{
    const WindowLog& log = LogOf(window);
    return log.destroyed && log.closeMessages == std::vector<UINT>{WM_CANCELMODE, WM_CLOSE};
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
        return SetupFailed;
    HWND shownMarker = CreateRecordingWindow("Other process - Microsoft Internet Explorer", true);
    HWND hiddenMarker = CreateRecordingWindow("Microsoft Internet Explorer", false);
    HWND bystander = CreateRecordingWindow("Other process notes", true);
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[1]);
    if (!shownMarker || !hiddenMarker || !bystander || !ready)
        return SetupFailed;
    SetEvent(ready);
    CloseHandle(ready);

    const bool markersGone = PumpMessagesUntil(
        [&] { return LogOf(shownMarker).destroyed && LogOf(hiddenMarker).destroyed; }, 15000);
    if (!markersGone) {
        std::printf("marker process: markers still open after 15 s\n");
        return TimedOut;
    }
    const bool bystanderUntouched = IsWindow(bystander) && LogOf(bystander).closeMessages.empty();
    if (!GotCloseSequence(shownMarker) || !GotCloseSequence(hiddenMarker) || !bystanderUntouched) {
        std::printf("marker process: shown %zu, hidden %zu, bystander %zu messages\n",
                    LogOf(shownMarker).closeMessages.size(), LogOf(hiddenMarker).closeMessages.size(),
                    LogOf(bystander).closeMessages.size());
        return WrongMessages;
    }
    return Closed;
}
