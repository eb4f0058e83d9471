#pragma once
// Twips: 1440 to the inch, 15 to a pixel at 96 dots per inch. All window
// and control positions in the program are in twips; this converts them for
// the screen the program runs on, scaled by its logical DPI.

#include <QRect>

namespace quillory {

float TwipsPerPixel();
int TwipsToPixels(float twips);
float PixelsToTwips(int pixels);

// The whole desktop in twips: every screen, as they are arranged side by
// side. On X11 it starts at (0, 0); on Windows a screen left of or above the
// primary one puts its start below zero.
float ScreenLeftTwips();
float ScreenTopTwips();
float ScreenWidthTwips();
float ScreenHeightTwips();

// A rectangle given in twips as pixels. Each edge is rounded on its own, so
// rectangles that touch in twips still touch in pixels.
QRect TwipsRect(float left, float top, float width, float height);

}  // namespace quillory
