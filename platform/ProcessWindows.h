#pragma once
// The windows another process shows, found on the window system, so that the
// program can take one into a window of its own. The X11 half is in
// platform/x11; Windows has a stand-in that finds none.

#include <QtGlobal>

namespace quillory {

// A shown top-level window of the process, or 0 when it shows none (yet).
// Under a window manager the window itself is found, not the manager's frame.
quint64 FindShownWindowOfProcess(qint64 pid);

}  // namespace quillory
