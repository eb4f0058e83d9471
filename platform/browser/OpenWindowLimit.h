#pragma once
// How many windows a page may have open at once (with `allownewwindows`):
// a page that keeps opening windows could otherwise bury the screen, and the
// exit prompt, under them. Further windows are refused as when new windows
// are not allowed: they never show their page.

namespace quillory {

constexpr int kMostOpenWindows = 3;

}  // namespace quillory
