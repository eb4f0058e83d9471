#include "closing_walk.h"

#include <string>

void CloseMarkedWindows(quillory::User32& user32, quillory::WindowHandle ownWindow)
{
    using namespace quillory;
    for (WindowHandle window = user32.GetWindow(ownWindow, GW_HWNDFIRST); window != 0;
         window = user32.GetWindow(window, GW_HWNDNEXT)) {
        const std::int32_t length = user32.GetWindowTextLengthA(window);
        if (length < 0)
            continue;
        std::string title(static_cast<std::size_t>(length) + 1, '\0');
        const std::int32_t copied = user32.GetWindowTextA(window, title.data(), length + 1);
        if (copied <= 0)
            continue;
        title.resize(static_cast<std::size_t>(copied));
        if (title != "Quillory" && title.find("Microsoft Internet Explorer") != std::string::npos) {
            user32.PostMessageA(window, WM_CANCELMODE, 0, 0);
            user32.PostMessageA(window, WM_CLOSE, 0, 0);
        }
    }
    user32.SetForegroundWindow(ownWindow);
}
