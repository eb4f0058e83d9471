#include "platform/browser/PopupFrame.h"

#include "platform/BrowserWindowMarker.h"
#include "platform/CentreOnScreen.h"
#include "platform/Twips.h"

#include <QApplication>
#include <QEvent>
#include <QScreen>

namespace quillory {

namespace {

// How far a popup keeps from the left edge of the screen, in twips: the strip
// there must stay uncovered.
constexpr float kPopupLeftClearance = 120;

// No maximise button: a maximised window would cover the left strip.
constexpr Qt::WindowFlags kPopupWindowFlags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                                              Qt::WindowCloseButtonHint;

}  // namespace

PopupFrame::PopupFrame(const QSize& size) : QWidget(nullptr, kPopupWindowFlags)
{
    setWindowIcon(QApplication::windowIcon());
    resize(size.boundedTo(QGuiApplication::primaryScreen()->availableGeometry().size() * 9 / 10));
    CentreOnScreen(*this);
    KeepClearOfLeftStrip();
    SetPageTitle({});
}

void PopupFrame::SetPageTitle(const QString& title)
{
    setWindowTitle((title.isEmpty() ? QStringLiteral("about:blank") : title) + QLatin1String(" - ") +
                   QLatin1String(kBrowserWindowMarker));
}

void PopupFrame::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    KeepClearOfLeftStrip();
}

void PopupFrame::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        QMetaObject::invokeMethod(this, &QWidget::showNormal, Qt::QueuedConnection);
}

// Moves the window, frame and all, right of the left strip when it reaches into it.
void PopupFrame::KeepClearOfLeftStrip()
{
    const int clear = QGuiApplication::primaryScreen()->virtualGeometry().left() + TwipsToPixels(kPopupLeftClearance);
    const QRect frame = frameGeometry();
    if (frame.left() < clear)
        move(clear, frame.top());
}

}  // namespace quillory
