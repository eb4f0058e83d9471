#include "platform/browser/PopupPlacement.h"

#include "platform/BrowserWindowMarker.h"
#include "platform/CentreOnScreen.h"
#include "platform/Twips.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace quillory {

QString PopupTitle(const QString& pageTitle)
{
    return pageTitle + QLatin1String(" - ") + QLatin1String(kBrowserWindowMarker);
}

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

void KeepUnmaximised(QWidget& popup, const QEvent& change)
{
    if (change.type() == QEvent::WindowStateChange &&
        (popup.windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        QMetaObject::invokeMethod(&popup, &QWidget::showNormal, Qt::QueuedConnection);
}

}  // namespace quillory
