#include "platform/browser/WebBrowser.h"

#include "platform/browser/AddressUrl.h"
#include "platform/browser/BrowserPage.h"
#include "platform/browser/PageGuards.h"
#include "platform/browser/BrowserProfile.h"
#include "platform/browser/OfflineMode.h"
#include "platform/browser/PopupWindow.h"
#include "platform/browser/RendererWatchdog.h"
#include "platform/Twips.h"

#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineView>

namespace quillory {

WebBrowser::WebBrowser(QWidget* parent)
    : QWidget(parent),
      view_(new QWebEngineView(this)),
      page_(new BrowserPage(&BrowserProfile(), true, this)),
      offline_(new OfflineMode(page_, this)),
      watchdog_(new RendererWatchdog(page_, this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    view_->setPage(page_);
    GuardView(*view_);
    page_->newWindowHandler = [this] { return OpenNewWindow(); };
    connect(page_, &BrowserPage::documentCreated, this, [this](const QString& url, bool topLevel) {
        watchdog_->DocumentCreated(topLevel);
        emit NavigateComplete2(page_, QVariant(url));
    });
    connect(watchdog_, &RendererWatchdog::documentUnreported, this, [this](const QString& url) {
        emit NavigateComplete2(page_, QVariant(url));
    });
    connect(offline_, &OfflineMode::ready, this, &WebBrowser::StartPendingNavigation);
}

WebBrowser::~WebBrowser()
{
    for (const QPointer<PopupWindow>& popup : popups_)
        delete popup.data();
    // The view goes before its page, and the page before the profile.
    delete view_;
    delete page_;
}

void WebBrowser::Navigate(const QString& url)
{
    pendingUrl_ = url;
    hasPendingUrl_ = true;
    if (offline_->isReady())
        StartPendingNavigation();
}

void WebBrowser::StartPendingNavigation()
{
    if (!hasPendingUrl_)
        return;
    hasPendingUrl_ = false;
    const QUrl url = AddressUrl(pendingUrl_);
    page_->load(url);
    watchdog_->Watch(url);
}

void WebBrowser::setOffline(bool offline)
{
    offline_->setOffline(offline);
}

bool WebBrowser::Offline() const
{
    return offline_->isOffline();
}

QWebEnginePage* WebBrowser::OpenNewWindow()
{
    QObject* ppDisp = nullptr;
    Boolean Cancel = False;
    emit NewWindow2(&ppDisp, &Cancel);
    if (Cancel != False)
        return nullptr;
    auto* popup = new PopupWindow(&BrowserProfile());
    popup->page()->newWindowHandler = [this] { return OpenNewWindow(); };
    popups_.removeAll(nullptr);
    popups_.append(popup);
    popup->show();
    return popup->page();
}

void WebBrowser::setLeft(float twips)
{
    left_ = twips;
    ApplyGeometry();
}

void WebBrowser::setTop(float twips)
{
    top_ = twips;
    ApplyGeometry();
}

void WebBrowser::setWidth(float twips)
{
    width_ = twips;
    ApplyGeometry();
}

void WebBrowser::setHeight(float twips)
{
    height_ = twips;
    ApplyGeometry();
}

void WebBrowser::ApplyGeometry()
{
    setGeometry(TwipsRect(left_, top_, width_, height_));
}

}  // namespace quillory
