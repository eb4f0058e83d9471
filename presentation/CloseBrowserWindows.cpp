#include "presentation/CloseBrowserWindows.h"

#include "platform/BrowserWindowMarker.h"
#include "platform/ResumeOnError.h"

#include <algorithm>

namespace quillory {

namespace {

// Titles longer than this are read only this far; the marker is near the end
// of a browser window's title, but no real title comes close to this length.
constexpr std::int32_t kLongestTitle = 65535;

}  // namespace

void CloseBrowserWindows(User32& user32, WindowHandle self, const std::string& caption)
{
    WindowHandle h = 0;
    ResumeOnError([&] { h = user32.GetWindow(self, GW_HWNDFIRST); });
    while (h != 0) {
        std::int32_t n = 0;
        std::string title;
        ResumeOnError([&] { n = user32.GetWindowTextLengthA(h); });
        ResumeOnError([&] {
            const std::int32_t size = std::min(std::max(n, 0), kLongestTitle) + 1;
            std::string buffer(static_cast<std::size_t>(size), ' ');
            n = user32.GetWindowTextA(h, buffer.data(), size);
            buffer.pop_back();  // the terminator's place
            title = buffer;
        });
        if (n > 0 && title != caption && title.find(kBrowserWindowMarker) != std::string::npos) {
            ResumeOnError([&] { user32.PostMessageA(h, WM_CANCELMODE, 0, 0); });
            ResumeOnError([&] { user32.PostMessageA(h, WM_CLOSE, 0, 0); });
        }
        const WindowHandle current = h;
        h = 0;
        ResumeOnError([&] { h = user32.GetWindow(current, GW_HWNDNEXT); });
    }
    ResumeOnError([&] { user32.SetForegroundWindow(self); });
}

}  // namespace quillory
