#pragma once
// Whether a page may open a new window: the control's host is asked with
// NewWindow2, whose Cancel refuses it. A page may keep at most
// kMostOpenWindows open at once (with `allownewwindows`): one that keeps
// opening windows could otherwise bury the screen, and the exit prompt, under
// them. Windows refused either way never show their page.

#include <QtGlobal>

namespace quillory {

class BrowserControl;

constexpr int kMostOpenWindows = 3;

// Asks `control`'s host about a window beside the `open` ones the page has.
bool NewWindowAllowed(BrowserControl& control, qsizetype open);

}  // namespace quillory
