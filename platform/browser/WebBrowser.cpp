#include "platform/browser/WebBrowser.h"

#include "platform/Twips.h"
#include "platform/browser/AddressUrl.h"
#include "platform/browser/BrowserPage.h"
#include "platform/browser/BrowserProfile.h"
#include "platform/browser/OfflineMode.h"
#include "platform/browser/PageGuards.h"
#include "platform/browser/PopupWindow.h"
#include "platform/browser/RendererWatchdog.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QTimer>
#include <QToolTip>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineHistory>
#include <QWebEngineProfile>
#include <QWebEngineView>

namespace quillory {

WebBrowser::WebBrowser(QWidget* parent) : QWidget(parent), view_(NewView())
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    UsePage(new BrowserPage(&BrowserProfile(), true, this));
    ScheduleSparePage();
}

WebBrowser::~WebBrowser()
{
    ClosePopups();
    // The view goes before its page, and the pages before their profiles.
    delete view_;
    delete page_;
    delete sparePage_;
    delete spareProfile_;
}

// Shows the page, with an offline switch and a watchdog of its own.
void WebBrowser::UsePage(BrowserPage* page)
{
    page_ = page;
    offline_ = new OfflineMode(page_, this);
    watchdog_ = new RendererWatchdog(page_, this);
    view_->setPage(page_);
    page_->newWindowHandler = [this] { return OpenNewWindow(); };
    // The page waited on an empty document, which is no place to go back to:
    // the entry goes as soon as the next one is committed.
    connect(page_, &QWebEnginePage::urlChanged, this, [this](const QUrl& url) {
        if (dropEarlierEntries_ && url != QUrl(QStringLiteral("about:blank"))) {
            dropEarlierEntries_ = false;
            page_->history()->clear();
        }
    });
    connect(page_, &BrowserPage::documentCreated, this, [this](const QString& url, bool topLevel) {
        watchdog_->DocumentCreated(topLevel);
        emit NavigateComplete2(page_, QVariant(url));
    });
    connect(page_, &QWebEnginePage::loadFinished, this,
            [this] { emit DocumentComplete(page_, QVariant(page_->url().toString())); });
    connect(watchdog_, &RendererWatchdog::documentUnreported, this,
            [this](const QString& url) { emit NavigateComplete2(page_, QVariant(url)); });
    connect(offline_, &OfflineMode::ready, this, &WebBrowser::StartPendingNavigation);
}

void WebBrowser::ClosePopups()
{
    for (const QPointer<PopupWindow>& popup : popups_)
        delete popup.data();
    popups_.clear();
}

// The next visitor's page waits in a profile of its own, its renderer started
// on an empty document: a renderer takes longer to start than the homepage
// takes to load from the cache. It is made once the current page has loaded,
// so as not to slow that load down.
void WebBrowser::ScheduleSparePage()
{
    connect(
        page_, &QWebEnginePage::loadFinished, this,
        [this] {
            if (sparePage_)
                return;
            MakeSparePage();
            sparePage_->load(QUrl(QStringLiteral("about:blank")));
        },
        Qt::SingleShotConnection);
}

void WebBrowser::MakeSparePage()
{
    spareProfile_ = CreateVisitorProfile();
    sparePage_ = new BrowserPage(spareProfile_, true, this);
    spareRendererEnded_ = false;
    // A page whose renderer ended before it was ever shown crashes the view
    // it is put into; such a page is replaced at the reset.
    BrowserPage* const spare = sparePage_;
    connect(spare, &QWebEnginePage::renderProcessTerminated, this, [this, spare] {
        if (spare == sparePage_)
            spareRendererEnded_ = true;
    });
}

void WebBrowser::DropSparePage()
{
    delete sparePage_;
    delete spareProfile_;
    sparePage_ = nullptr;
    spareProfile_ = nullptr;
}

QWebEngineView* WebBrowser::NewView()
{
    auto* view = new QWebEngineView(this);
    GuardView(*view);
    return view;
}

void WebBrowser::ForgetVisitor()
{
    // What the engine shows for the page (select lists, pickers) goes with
    // the page; what the toolkit shows for it goes here.
    QToolTip::hideText();
    ClosePopups();
    const bool offline = offline_->isOffline();
    BrowserPage* const visitorsPage = page_;
    OfflineMode* const visitorsOffline = offline_;
    RendererWatchdog* const visitorsWatchdog = watchdog_;
    if (spareRendererEnded_)
        DropSparePage();
    if (!sparePage_)
        MakeSparePage();
    // The next visitor gets a view of their own too. A view keeps a text
    // input's list of suggestions, and closes it with a call to the page that
    // opened it, queued; for a page deleted meanwhile that call crashes the
    // program. The old view goes, with its list and its queued calls, before
    // the page it showed.
    QWebEngineView* const visitorsView = view_;
    const bool hadFocus = visitorsView->isAncestorOf(QApplication::focusWidget());
    view_ = NewView();
    delete layout()->replaceWidget(visitorsView, view_);
    UsePage(sparePage_);
    if (hadFocus)
        view_->setFocus();
    delete visitorsView;
    delete visitorsWatchdog;
    delete visitorsOffline;
    delete visitorsPage;
    UseBrowserProfile(spareProfile_);
    dropEarlierEntries_ = true;
    spareProfile_ = nullptr;
    sparePage_ = nullptr;
    ScheduleSparePage();
    offline_->setOffline(offline);
    // Only what this program put there: another program's clipboard is its own.
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard->ownsClipboard())
        clipboard->clear(QClipboard::Clipboard);
    if (clipboard->supportsSelection() && clipboard->ownsSelection())
        clipboard->clear(QClipboard::Selection);
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
