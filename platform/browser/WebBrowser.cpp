#include "platform/browser/WebBrowser.h"

#include "platform/browser/AddressUrl.h"
#include "platform/browser/BrowserPage.h"
#include "platform/browser/NewWindowDecision.h"
#include "platform/browser/OfflineMode.h"
#include "platform/browser/PopupWindow.h"
#include "platform/browser/RendererWatchdog.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QToolTip>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineHistory>
#include <QWebEngineView>

namespace quillory {

WebBrowser::WebBrowser(QWidget* parent, Visits visits)
    : BrowserControl(parent),
      visit_(std::make_unique<Visit>()),
      visits_(visits),
      pending_([this] { return visit_->offline->isReady(); }, [this](const QString& url) { Load(url); })
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(visit_->Show(this));
    StartVisit();
}

// The visits go in the order they must: each takes its windows, view and
// page down before its profile.
WebBrowser::~WebBrowser() = default;

// Raises the control's events for the visit on the screen.
void WebBrowser::StartVisit()
{
    BrowserPage* const page = visit_->page;
    RendererWatchdog* const watchdog = visit_->watchdog;
    page->newWindowHandler = [this] { return OpenNewWindow(); };
    // The page waited on an empty document, which is no place to go back to:
    // the entry goes as soon as the next one is committed.
    connect(page, &QWebEnginePage::urlChanged, this, [this, page](const QUrl& url) {
        if (dropEarlierEntries_ && url != QUrl(QStringLiteral("about:blank"))) {
            dropEarlierEntries_ = false;
            page->history()->clear();
        }
    });
    connect(page, &BrowserPage::documentCreated, this, [this, page, watchdog](const QString& url, bool topLevel) {
        watchdog->DocumentCreated(topLevel);
        emit NavigateComplete2(page, QVariant(url));
    });
    connect(page, &BrowserPage::movedWithinDocument, this,
            [this, page](const QString& url) { emit NavigateComplete2(page, QVariant(url)); });
    connect(page, &QWebEnginePage::loadFinished, this,
            [this, page] { emit DocumentComplete(page, QVariant(page->url().toString())); });
    connect(watchdog, &RendererWatchdog::documentUnreported, this,
            [this, page](const QString& url) { emit NavigateComplete2(page, QVariant(url)); });
    connect(visit_->offline, &OfflineMode::ready, this, [this] { pending_.StartIfReady(); });
    if (visits_ == Visits::OneAfterAnother)
        ScheduleSpareVisit();
}

// The next visitor's page waits in a visit of its own, its renderer started
// on an empty document: a renderer takes longer to start than the homepage
// takes to load from the cache. It is made once the current page has loaded,
// so as not to slow that load down.
void WebBrowser::ScheduleSpareVisit()
{
    connect(
        visit_->page, &QWebEnginePage::loadFinished, this,
        [this] {
            if (spare_)
                return;
            spare_ = std::make_unique<Visit>();
            spare_->page->load(QUrl(QStringLiteral("about:blank")));
        },
        Qt::SingleShotConnection);
}

void WebBrowser::ForgetVisitor()
{
    // What the engine shows for the page (select lists, pickers) goes with
    // the page; what the toolkit shows for it goes here.
    QToolTip::hideText();
    visit_->ClosePopups();
    const bool offline = visit_->offline->isOffline();
    if (spare_ && spare_->rendererEndedUnseen)
        spare_.reset();
    if (!spare_)
        spare_ = std::make_unique<Visit>();
    QWebEngineView* const visitorsView = visit_->view;
    const bool hadFocus = visitorsView->isAncestorOf(QApplication::focusWidget());
    std::unique_ptr<Visit> visitors = std::exchange(visit_, std::move(spare_));
    QWebEngineView* const view = visit_->Show(this);
    delete layout()->replaceWidget(visitorsView, view);
    StartVisit();
    if (hadFocus)
        view->setFocus();
    visitors.reset();
    dropEarlierEntries_ = true;
    visit_->offline->setOffline(offline);
    // Only what this program put there: another program's clipboard is its own.
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard->ownsClipboard())
        clipboard->clear(QClipboard::Clipboard);
    if (clipboard->supportsSelection() && clipboard->ownsSelection())
        clipboard->clear(QClipboard::Selection);
}

void WebBrowser::Navigate(const QString& url)
{
    pending_.Ask(url);
}

void WebBrowser::Load(const QString& address)
{
    const QUrl url = AddressUrl(address);
    visit_->page->load(url);
    visit_->watchdog->Watch(url);
}

void WebBrowser::setOffline(bool offline)
{
    visit_->offline->setOffline(offline);
}

bool WebBrowser::Offline() const
{
    return visit_->offline->isOffline();
}

QWebEnginePage* WebBrowser::OpenNewWindow()
{
    visit_->popups.removeAll(nullptr);
    if (!NewWindowAllowed(*this, visit_->popups.size()))
        return nullptr;
    auto* popup = new PopupWindow(visit_->profile);
    popup->page()->newWindowHandler = [this] { return OpenNewWindow(); };
    visit_->popups.append(popup);
    popup->show();
    return popup->page();
}

}  // namespace quillory
