#pragma once
// A new window that a page opened, whichever engine draws it: placed by the
// program, not by a window manager, which might put it at the left edge,
// where the hot corner's gesture runs; never maximised; titled with the
// marker by which browser windows are known.

#include <QString>
#include <Qt>

class QEvent;
class QWidget;

namespace quillory {

// How far a popup keeps from the left edge of the screen, in twips: the strip
// there must stay uncovered.
constexpr float kPopupLeftClearance = 120;

// No maximise button: a maximised window would cover the left strip.
constexpr Qt::WindowFlags kPopupWindowFlags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                                              Qt::WindowCloseButtonHint;

// The page's title followed by the marker.
QString PopupTitle(const QString& pageTitle);

// Centres the window on the screen, clear of the left strip.
void PlacePopup(QWidget& popup);

// Moves the window, frame and all, right of the left strip when it reaches into it.
void KeepClearOfLeftStrip(QWidget& popup);

// Undoes a maximise that a window manager may still do (a double click on the
// title bar): for the window's change events.
void KeepUnmaximised(QWidget& popup, const QEvent& change);

}  // namespace quillory
