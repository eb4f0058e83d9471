#include "platform/browser/chromium/ChromiumPopup.h"

#include "platform/browser/PopupPlacement.h"
#include "platform/browser/chromium/KeyFocusWindow.h"
#include "platform/browser/chromium/WindowHolder.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QScreen>

namespace quillory {

ChromiumPopup::ChromiumPopup(const QSize& size, QWidget* keyReceiver, std::function<bool()> mayTakeFocus)
    : QWidget(nullptr, kPopupWindowFlags),
      keyReceiver_(keyReceiver),
      browserArea_(new QWidget(this)),
      keyFocus_(new KeyFocusWindow(this, keyReceiver, browserArea_, std::move(mayTakeFocus))),
      holder_(browserArea_)
{
    setWindowIcon(QApplication::windowIcon());
    setFocusPolicy(Qt::StrongFocus);
    browserArea_->setAttribute(Qt::WA_NativeWindow);
    NameHelperWindow(*browserArea_, "browser");
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    resize(size.boundedTo(screen.size() * 9 / 10));
    PlacePopup(*this);
    SetPageTitle({});
}

ChromiumPopup::~ChromiumPopup()
{
    holder_.Release();
}

void ChromiumPopup::TakeKeyFocus()
{
    keyFocus_->TakeFocus();
}

void ChromiumPopup::SetPageTitle(const QString& title)
{
    setWindowTitle(PopupTitle(title.isEmpty() ? QStringLiteral("about:blank") : title));
}

void ChromiumPopup::closeEvent(QCloseEvent* event)
{
    event->ignore();
    emit CloseAsked();
}

void ChromiumPopup::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    browserArea_->setGeometry(rect());
    holder_.Hold();
}

void ChromiumPopup::moveEvent(QMoveEvent* event)
{
    // Also after a window manager or a visitor dragging the title bar moved it.
    QWidget::moveEvent(event);
    KeepClearOfLeftStrip(*this);
}

void ChromiumPopup::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    KeepUnmaximised(*this, *event);
}

void ChromiumPopup::keyPressEvent(QKeyEvent* event)
{
    QCoreApplication::sendEvent(keyReceiver_, event);
}

void ChromiumPopup::keyReleaseEvent(QKeyEvent* event)
{
    QCoreApplication::sendEvent(keyReceiver_, event);
}

}  // namespace quillory
