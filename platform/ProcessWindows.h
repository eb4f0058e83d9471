#pragma once
// The windows another process shows, found on the window system, so that the
// program can take one into a window of its own. X11 only (platform/x11):
// the Chromium control, its one user, is not built on Windows.

#include <QByteArray>
#include <QList>
#include <QRect>
#include <QtGlobal>

namespace quillory {

// A shown top-level window of the process, or 0 when it shows none (yet).
// Under a window manager the window itself is found, not the manager's frame.
// Windows in `except` (the ones taken already), and menus, lists and
// tooltips, are passed over. Given a size, the window nearest to it is
// found: the process may show several new windows at once.
quint64 FindShownWindowOfProcess(qint64 pid, const QList<quint64>& except = {}, const QSize& size = {});

// Keeps another process's window within `parent`, at `rect` in the parent's
// coordinates and shown: reparents, moves, resizes and maps it where it is
// not so already. The window is marked as one no window manager manages, and
// is taken back from one that took it meanwhile.
void HoldWindowWithin(quint64 window, quint64 parent, const QRect& rect);

// Puts a window taken with HoldWindowWithin back below the screen's root,
// unmapped: a window whose parent is destroyed is destroyed with it.
void ReleaseWindow(quint64 window);

// Whether the pointer is over the program's top-level window, with no other
// top-level window above it there.
bool PointerIsOver(quint64 window);

// What a window system event that the toolkit passes on as native tells of
// the keyboard focus, and the window it tells of.
enum class FocusChange { None, Arrived, Left };
FocusChange FocusChangeOf(const QByteArray& eventType, const void* message, quint64* window = nullptr);

// Whether the keyboard focus is on the window or on one within it.
bool FocusIsWithin(quint64 window);

// A key that the keyboard lock's grab reported on the screen's root window,
// as it does while another process's window has the focus: the toolkit, which
// has no window there, would drop it. ReportKeyOn makes it a key of one of
// the program's windows, which the toolkit then hands on.
bool IsKeyOnRoot(const QByteArray& eventType, const void* message);
void ReportKeyOn(void* message, quint64 window);

// Whether no window has the keyboard focus, or it follows the pointer (as
// without a window manager): keys then go to the window under the pointer.
bool FocusIsNowhere();

// Gives the keyboard focus to one of the program's windows. Keys then come
// to it even while the pointer is over another process's window held within
// the program's: that window never sees a key.
void FocusWindow(quint64 window);

}  // namespace quillory
