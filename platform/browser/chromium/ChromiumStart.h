#pragma once
// Starting Debian's Chromium for one visitor: its switches, and the folders
// its site data, disk cache and temporary files live in.

#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace quillory {

class DevToolsPipe;
class HomepageCache;

extern const QString kChromiumProgram;

// The disk cache kept of the homepage alone, that each visitor's starts from.
HomepageCache& ChromiumHomepageCache();

// The folders of one visitor's browser, which go once the browser has ended.
struct VisitFolders {
    std::unique_ptr<QTemporaryDir> siteData;
    std::unique_ptr<QTemporaryDir> shortTemporary;  // only where siteData is too deep
};

// The empty page the browser's window opens on: a window without tabs or
// address bar needs an address of its own. Pages cannot go to it themselves
// (top-level data: addresses are refused them), so its load is the window's,
// never a navigation of the control's.
extern const QString kStartPage;

// Makes the visit's folders and starts the browser in them on the pipe;
// false when it cannot be started.
bool StartChromium(DevToolsPipe& pipe, VisitFolders& folders);

}  // namespace quillory
