#pragma once
// The windows another process shows, found on the window system, so that the
// program can take one into a window of its own. The X11 half is in
// platform/x11; Windows has a stand-in that finds none.

#include <QRect>
#include <QtGlobal>

namespace quillory {

// A shown top-level window of the process, or 0 when it shows none (yet).
// Under a window manager the window itself is found, not the manager's frame.
quint64 FindShownWindowOfProcess(qint64 pid);

// Keeps another process's window within `parent`, at `rect` in the parent's
// coordinates and shown: reparents, moves, resizes and maps it where it is
// not so already. The window is marked as one no window manager manages, and
// is taken back from one that took it meanwhile.
void HoldWindowWithin(quint64 window, quint64 parent, const QRect& rect);

// Gives the keyboard focus to one of the program's windows. Keys then come
// to it even while the pointer is over another process's window held within
// the program's: that window never sees a key.
void FocusWindow(quint64 window);

}  // namespace quillory
