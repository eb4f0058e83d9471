#pragma once
// Where the keyboard lock sends the keys. By default a locked keyboard lets
// keys reach whichever window of the program's has the focus, and drops keys
// meant for any other client's. Given a window of the program's, the lock
// reports every key to that window instead, whatever has the focus: a
// browser process that took the focus on a click gets no key, and the
// program passes each key on where it belongs (the page, the exit prompt).

#include <QtGlobal>

namespace quillory {

// 0 goes back to the default. Takes effect at once where the keys are locked,
// and whenever they are locked later; while the window is not shown, the
// default holds.
void SendEveryKeyTo(quint64 window);

}  // namespace quillory
