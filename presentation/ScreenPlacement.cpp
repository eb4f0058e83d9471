// Where the presentation window lies: over every screen, following them as
// they are added, removed or resized while the kiosk runs.

#include "platform/Twips.h"
#include "platform/browser/BrowserControl.h"
#include "presentation/KeyboardDock.h"
#include "presentation/frmBrowser.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <algorithm>

namespace quillory {

void FrmBrowser::PlaceOnScreens()
{
    setTop(ScreenTopTwips());
    setLeft(ScreenLeftTwips());
    setWidth(ScreenWidthTwips());
    setHeight(ScreenHeightTwips());

    // Past the top, right and bottom edges, where the window clips it; a
    // strip along the left edge stays uncovered for the hot corner.
    webBrowser->setTop(-10);
    webBrowser->setLeft(10);
    webBrowser->setWidth(Width() + 10);
    webBrowser->setHeight(Height() + 20);
    // Above the keyboard, while it shows for the page.
    keyboardDock_->Place();
}

void FrmBrowser::FollowScreens()
{
    // The screens' list and the desktop's size are settled only once the
    // change is over.
    auto placeSoon = [this] { QTimer::singleShot(0, this, &FrmBrowser::PlaceOnScreens); };
    auto follow = [this, placeSoon](QScreen* screen) { connect(screen, &QScreen::geometryChanged, this, placeSoon); };
    for (QScreen* screen : QGuiApplication::screens())
        follow(screen);
    connect(qApp, &QGuiApplication::screenAdded, this, [follow, placeSoon](QScreen* screen) {
        follow(screen);
        placeSoon();
    });
    connect(qApp, &QGuiApplication::screenRemoved, this, placeSoon);
    connect(qApp, &QGuiApplication::primaryScreenChanged, this, placeSoon);
}

float FrmBrowser::CornerBottom() const
{
    const QRect window = geometry();
    int bottom = 0;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect area = screen->geometry();
        if (area.left() <= window.left() && window.left() <= area.right())
            bottom = std::max(bottom, area.bottom() + 1 - window.top());
    }
    return bottom > 0 && bottom < window.height() ? PixelsToTwips(bottom) : Height();
}

}  // namespace quillory
