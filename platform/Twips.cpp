#include "platform/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cmath>

namespace quillory {

namespace {
constexpr float kTwipsPerInch = 1440.0f;
constexpr float kDefaultDpi = 96.0f;

const QScreen* Screen()
{
    return QGuiApplication::primaryScreen();
}

QRect Desktop()
{
    const QScreen* screen = Screen();
    return screen ? screen->virtualGeometry() : QRect();
}
}  // namespace

float TwipsPerPixel()
{
    const QScreen* screen = Screen();
    const qreal dpi = screen ? screen->logicalDotsPerInch() : kDefaultDpi;
    return kTwipsPerInch / static_cast<float>(dpi > 0 ? dpi : kDefaultDpi);
}

int TwipsToPixels(float twips)
{
    return static_cast<int>(std::lround(twips / TwipsPerPixel()));
}

float PixelsToTwips(int pixels)
{
    return static_cast<float>(pixels) * TwipsPerPixel();
}

float ScreenLeftTwips()
{
    return PixelsToTwips(Desktop().left());
}

float ScreenTopTwips()
{
    return PixelsToTwips(Desktop().top());
}

float ScreenWidthTwips()
{
    return PixelsToTwips(Desktop().width());
}

float ScreenHeightTwips()
{
    return PixelsToTwips(Desktop().height());
}

QRect TwipsRect(float left, float top, float width, float height)
{
    // A control placed off the container's edge stays off it, however coarse
    // the pixels: at least one pixel.
    const int x0 = left > 0 ? std::max(1, TwipsToPixels(left)) : TwipsToPixels(left);
    const int y0 = top > 0 ? std::max(1, TwipsToPixels(top)) : TwipsToPixels(top);
    const int x1 = TwipsToPixels(left + width);
    const int y1 = TwipsToPixels(top + height);
    return QRect(x0, y0, x1 - x0, y1 - y0);
}

}  // namespace quillory
