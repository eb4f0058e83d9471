#pragma once
// Starting Debian's Chromium for one visitor, with its switches, in the
// folders made for the visit.

#include <QString>

namespace quillory {

class DevToolsPipe;
class HomepageCache;
struct VisitFolders;

extern const QString kChromiumProgram;

// The disk cache kept of the homepage alone, that each visitor's starts from.
HomepageCache& ChromiumHomepageCache();

// The empty page the browser's window opens on: a window without tabs or
// address bar needs an address of its own. Pages cannot go to it themselves
// (top-level data: addresses are refused them), so its load is the window's,
// never a navigation of the control's.
extern const QString kStartPage;

// Starts the browser in the visit's folders on the pipe; false when it
// cannot be started.
bool StartChromium(DevToolsPipe& pipe, const VisitFolders& folders);

}  // namespace quillory
