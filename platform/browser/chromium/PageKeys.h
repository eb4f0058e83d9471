#pragma once
// The keys the program passes on to the page in Chromium's window: the
// program's own window holds the keyboard focus (and, with a password set,
// the keyboard grab), so every key comes to it first.

#include <QJsonObject>

#include <optional>

class QKeyEvent;

namespace quillory {

// The parameters of Input.dispatchKeyEvent for a key pressed or let go, or
// nothing for a key the page must not get: the browser would act on it
// itself, as on Ctrl+N, Ctrl+T, Ctrl+O, F11 or F12, and open what a kiosk
// keeps shut (windows, files, the developer tools, full screen, zoom).
// Typing, moving within a page and the editing keys (Ctrl+A, C, V, X, Z, Y)
// go through.
std::optional<QJsonObject> PageKeyEvent(const QKeyEvent& key);

}  // namespace quillory
