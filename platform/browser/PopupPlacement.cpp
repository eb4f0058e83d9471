#include "platform/browser/PopupPlacement.h"

#include "platform/CentreOnScreen.h"
#include "platform/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace quillory {

void PlacePopup(QWidget& popup)
{
    CentreOnScreen(popup);
    KeepClearOfLeftStrip(popup);
}

void KeepClearOfLeftStrip(QWidget& popup)
{
    const int clear = QGuiApplication::primaryScreen()->virtualGeometry().left() + TwipsToPixels(kPopupLeftClearance);
    const QRect frame = popup.frameGeometry();
    if (frame.left() < clear)
        popup.move(clear, frame.top());
}

}  // namespace quillory
