#include "platform/browser/chromium/ChromiumPopup.h"

#include "platform/browser/chromium/KeyFocusWindow.h"
#include "platform/browser/chromium/WindowHolder.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>

namespace quillory {

ChromiumPopup::ChromiumPopup(const QSize& size, QWidget* keyReceiver, std::function<bool()> mayTakeFocus)
    : PopupFrame(size),
      keyReceiver_(keyReceiver),
      browserArea_(new QWidget(this)),
      keyFocus_(new KeyFocusWindow(this, keyReceiver, browserArea_, std::move(mayTakeFocus))),
      holder_(browserArea_)
{
    setFocusPolicy(Qt::StrongFocus);
    browserArea_->setAttribute(Qt::WA_NativeWindow);
    NameHelperWindow(*browserArea_, "browser");
}

ChromiumPopup::~ChromiumPopup()
{
    holder_.Release();
}

void ChromiumPopup::TakeKeyFocus()
{
    keyFocus_->TakeFocus();
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

void ChromiumPopup::keyPressEvent(QKeyEvent* event)
{
    QCoreApplication::sendEvent(keyReceiver_, event);
}

void ChromiumPopup::keyReleaseEvent(QKeyEvent* event)
{
    QCoreApplication::sendEvent(keyReceiver_, event);
}

}  // namespace quillory
