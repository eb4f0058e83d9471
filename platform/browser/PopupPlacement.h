#pragma once
// Where a new window that a page opened goes, whichever engine draws it:
// placed by the program, not by a window manager, which might put it at the
// left edge, where the hot corner's gesture runs.

class QWidget;

namespace quillory {

// How far a popup keeps from the left edge of the screen, in twips: the strip
// there must stay uncovered.
constexpr float kPopupLeftClearance = 120;

// Centres the window on the screen, clear of the left strip.
void PlacePopup(QWidget& popup);

// Moves the window, frame and all, right of the left strip when it reaches into it.
void KeepClearOfLeftStrip(QWidget& popup);

}  // namespace quillory
