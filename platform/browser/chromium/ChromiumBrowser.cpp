#include "platform/browser/chromium/ChromiumBrowser.h"

#include "platform/Gpu.h"
#include "platform/ProcessWindows.h"
#include "platform/WindowManager.h"
#include "platform/browser/AddressUrl.h"
#include "platform/browser/OpenWindowLimit.h"
#include "platform/browser/SiteDataFolders.h"
#include "platform/browser/chromium/ChromiumPopup.h"
#include "platform/browser/chromium/HomepageRefresh.h"
#include "platform/browser/chromium/KeyFocusWindow.h"
#include "platform/browser/chromium/NoLaunchers.h"
#include "platform/browser/chromium/PageKeys.h"
#include "platform/browser/chromium/PageLimits.h"
#include "platform/browser/chromium/TemporaryFolder.h"

#include <QApplication>
#include <QFileInfo>
#include <QJsonArray>
#include <QKeyEvent>
#include <QScreen>
#include <QTimer>
#include <QUrl>

#include <algorithm>

#include <unistd.h>

namespace quillory {

namespace {

const QString kBrowser = QStringLiteral("/usr/bin/chromium");
// The empty page the window opens on: a window without tabs or address bar
// needs an address of its own. Pages cannot go to it themselves (top-level
// data: addresses are refused them), so its load is the window's, never a
// navigation of the control's.
const QString kStartPage = QStringLiteral("data:text/html,");
// The start page's entry is looked for every 20 ms, for 2 s at most.
constexpr int kStartEntryRetryMs = 20;
constexpr int kStartEntryTries = 100;

QJsonObject NetworkConditions(bool offline)
{
    return {{"offline", offline}, {"latency", 0}, {"downloadThroughput", -1}, {"uploadThroughput", -1}};
}

}  // namespace

ChromiumBrowser::ChromiumBrowser(QWidget* parent)
    : BrowserControl(parent),
      homepageRefresh_(std::make_unique<HomepageRefresh>(homepageCache_)),
      holder_(new QWidget(this)),
      browserWindow_(holder_),
      keys_(new KeyFocusWindow(this, this, holder_, [this] { return NoOtherWindowOpen(); }))
{
    setFocusPolicy(Qt::StrongFocus);
    connect(&pipe_, &DevToolsPipe::Event, this, &ChromiumBrowser::OnEvent);
    // A browser that dies takes its window along, and is told of once its
    // end has been seen to: a new one may not start within the pipe's report.
    connect(&pipe_, &DevToolsPipe::Ended, this, &ChromiumBrowser::EndBrowser);
    // Unless a new one started meanwhile, as at a return home.
    connect(&pipe_, &DevToolsPipe::Ended, this, [this] {
        QTimer::singleShot(pacing_.DelayAfterEnd(lived_.elapsed()), this, [this] {
            if (!pipe_.IsRunning())
                emit BrowserEnded();
        });
    });
    // The browser's window goes into a window of the holder's; the keyboard
    // focus stays in a window beside it, through which keys come to the
    // control wherever the pointer is.
    holder_->setAttribute(Qt::WA_NativeWindow);
    NameHelperWindow(*this, "browser control");
    NameHelperWindow(*holder_, "browser");
    // While the window is new, the toolkit may still be giving the focus to
    // the top-level window, as it becomes active.
    // Without a window manager nobody gives the program the focus at all:
    // it is taken whenever nobody has it.
    connect(&browserWindow_, &WindowHolder::Held, this, [this](bool settling) {
        if (settling)
            KeepKeys();
        else if (FocusIsNowhere() && NoOtherWindowOpen())
            TakeFocusFromNowhere();
    });
    StartBrowser();
}

ChromiumBrowser::~ChromiumBrowser()
{
    EndBrowser();
}

bool ChromiumBrowser::IsInstalled()
{
    return QFileInfo(kBrowser).isExecutable();
}

void ChromiumBrowser::StartBrowser()
{
    // Within the run's site-data folder: a later run removes what a killed one left.
    siteData_ = std::make_unique<QTemporaryDir>(SiteDataFolderOfRun() + QStringLiteral("/chromium-XXXXXX"));
    WriteVisitorPreferences(siteData_->path());
    const QString cache = homepageCache_.SeedVisit(siteData_->path());
    QStringList arguments{
        QStringLiteral("--no-first-run"),
        // A permission a page asks for is denied, never asked of the visitor.
        QStringLiteral("--deny-permission-prompts"),
        // No bar over the page about the switches the program starts it with.
        QStringLiteral("--test-type"),
        QStringLiteral("--user-data-dir=") + siteData_->path(),
        QStringLiteral("--disk-cache-dir=") + cache,
        QStringLiteral("--app=") + kStartPage,
    };
    arguments << LimitingSwitches();
    // As root the browser starts only with its sandbox off, as Qt's engine.
    if (::geteuid() == 0)
        arguments << QStringLiteral("--no-sandbox");
    // Without a GPU, compositing in software spares the memory of a GPU
    // process that only emulates one.
    if (DisplayLacksGpu())
        arguments << QStringLiteral("--disable-gpu");
    // What the browser keeps in temporary files, and its crash dumps, which
    // hold what the page held, go with the visit too: crash dumps go to the
    // configuration folder, whatever the user data folder. Where the visit's
    // folder is too deep for the browser's socket, its temporary files go to
    // a folder of the visit's own in /tmp.
    const QString temporary = BrowserTemporaryFolder(siteData_->path(), shortTemporary_);
    const QStringList environment{QStringLiteral("TMPDIR=") + temporary,
                                  QStringLiteral("XDG_CONFIG_HOME=") + siteData_->path(),
                                  PathWithoutLaunchers(siteData_->path() + QStringLiteral("/launchers"))};
    if (!pipe_.Start(kBrowser, arguments, environment))
        return;
    lived_.start();
    // Every page the browser opens comes attached, and waits: the app
    // window's page, which is the control's, and any window a page opens,
    // which may then be closed before it has loaded anything.
    pipe_.Send(QStringLiteral("Target.setAutoAttach"),
               {{"autoAttach", true}, {"waitForDebuggerOnStart", true}, {"flatten", true}});
    LimitBrowser(pipe_);
    const qint64 pid = pipe_.ProcessId();
    browserWindow_.Take([pid] { return FindShownWindowOfProcess(pid); });
    dropStartEntry_ = true;
}

// The browser goes before its window's container and its site data; one
// browser at a time uses the disk cache.
void ChromiumBrowser::EndBrowser()
{
    pipe_.Stop();
    browserWindow_.Forget();
    for (ChromiumPopup* popup : std::as_const(popups_)) {
        popup->Holder().Forget();
        delete popup;
    }
    popups_.clear();
    openedPages_.clear();
    pageSession_.clear();
    owners_.clear();
    pageUrl_.clear();
    conditionsUnanswered_ = 0;
    siteData_.reset();
    shortTemporary_.reset();
}

void ChromiumBrowser::ForgetVisitor()
{
    EndBrowser();
    StartBrowser();
}

void ChromiumBrowser::FollowPage(const QString& session)
{
    pageSession_ = session;
    // The page takes the keys the control passes on as though its window had
    // the focus, which the program's keeps.
    pipe_.Send(QStringLiteral("Emulation.setFocusEmulationEnabled"), {{"enabled", true}}, pageSession_);
    Follow(pageSession_, pageSession_);
}

// A page asked for a window, which the browser made and holds before it
// loads anything: a window refused goes at once, empty.
void ChromiumBrowser::OpenedWindow(const QString& session, const QString& targetId)
{
    QObject* ppDisp = nullptr;
    Boolean Cancel = False;
    emit NewWindow2(&ppDisp, &Cancel);
    if (Cancel != False || openedPages_.size() >= kMostOpenWindows) {
        pipe_.Send(QStringLiteral("Target.closeTarget"), {{"targetId", targetId}});
        return;
    }
    pipe_.Send(QStringLiteral("Emulation.setFocusEmulationEnabled"), {{"enabled", true}}, session);
    Follow(session, session);
    openedPages_.append({targetId, session, 0});
    pipe_.Send(QStringLiteral("Browser.getWindowForTarget"), {{"targetId", targetId}}, {},
               [this, session](const QJsonObject& result, const QString& error) {
                   for (OpenedPage& page : openedPages_) {
                       if (page.session == session && error.isEmpty()) {
                           page.windowId = result.value(QLatin1String("windowId")).toInt();
                           const QJsonObject bounds = result.value(QLatin1String("bounds")).toObject();
                           ShowOpenedPage(page, QSize(bounds.value(QLatin1String("width")).toInt(),
                                                      bounds.value(QLatin1String("height")).toInt()));
                       }
                   }
               });
}

// The opened page shows in the program's window for its browser window: a
// new one, or the one whose browser window it joined as a tab.
void ChromiumBrowser::ShowOpenedPage(const OpenedPage& page, const QSize& size)
{
    const int windowId = page.windowId;
    if (popups_.contains(windowId)) {
        UpdatePopupTitle(windowId);
        return;
    }
    // The browser window shows its tab strip and address bar above the
    // page, which the program's window leaves outside and so clips. Its size
    // is the browser window's less those bars: the browser window is taken
    // in as it is, as one resized from outside may stop drawing.
    pipe_.Send(QStringLiteral("Runtime.evaluate"),
               {{"expression", "[outerWidth - innerWidth, outerHeight - innerHeight]"}, {"returnByValue", true}},
               page.session, [this, windowId, size](const QJsonObject& result, const QString&) {
                   const QJsonArray bars = result.value("result").toObject().value("value").toArray();
                   // Any frame the browser draws around its window is as wide
                   // at the sides as at the bottom.
                   const int side = bars.size() == 2 ? bars.at(0).toInt() / 2 : 0;
                   const int top = bars.size() == 2 ? bars.at(1).toInt() - side : 0;
                   ShowPopup(windowId, size, QMargins(side, top, side, side));
               });
}

void ChromiumBrowser::ShowPopup(int windowId, const QSize& size, const QMargins& bars)
{
    if (popups_.contains(windowId) || !ShownPage(windowId))
        return;
    auto* popup = new ChromiumPopup(size.shrunkBy(bars), this, [this] { return NoOtherWindowOpen(); });
    popup->Holder().SetHiddenMargins(bars);
    popups_.insert(windowId, popup);
    UpdatePopupTitle(windowId);
    connect(popup, &ChromiumPopup::CloseAsked, this, [this, windowId] { ClosePopup(windowId); });
    connect(&popup->Holder(), &WindowHolder::Held, this, [this, windowId] { UpdatePopupTitle(windowId); });
    const qint64 pid = pipe_.ProcessId();
    popup->Holder().Take([this, pid, size] { return FindShownWindowOfProcess(pid, TakenWindows(), size); });
    // In front, as a window the visitor asked for: the click that opened it
    // went to the browser, not to the program, and a window manager would
    // otherwise keep it behind the presentation.
    popup->show();
    // Never over the exit prompt, which keeps the keys.
    if (NoOtherWindowOpen()) {
        popup->raise();
        popup->activateWindow();
    }
    BringBackToScreen(popup->winId());
}

QList<quint64> ChromiumBrowser::TakenWindows() const
{
    QList<quint64> taken{browserWindow_.Window()};
    for (ChromiumPopup* popup : popups_)
        taken.append(popup->Holder().Window());
    return taken;
}

// Asked to close, the program's window closes its pages, and goes.
void ChromiumBrowser::ClosePopup(int windowId)
{
    for (const OpenedPage& page : std::as_const(openedPages_)) {
        if (page.windowId == windowId)
            pipe_.Send(QStringLiteral("Target.closeTarget"), {{"targetId", page.targetId}});
    }
    // Later: the window is still in its close event.
    if (ChromiumPopup* popup = popups_.take(windowId))
        popup->deleteLater();
}

// An opened page closed itself, or was closed: its window goes with the last.
void ChromiumBrowser::OpenedPageGone(const QString& session)
{
    int windowId = 0;
    for (int i = 0; i < openedPages_.size(); ++i) {
        if (openedPages_.at(i).session == session) {
            windowId = openedPages_.at(i).windowId;
            openedPages_.removeAt(i);
            break;
        }
    }
    if (ShownPage(windowId))
        UpdatePopupTitle(windowId);
    else
        delete popups_.take(windowId);
}

// The newest page of a browser window is the one it shows.
const ChromiumBrowser::OpenedPage* ChromiumBrowser::ShownPage(int windowId) const
{
    for (auto page = openedPages_.crbegin(); page != openedPages_.crend(); ++page) {
        if (page->windowId == windowId)
            return &*page;
    }
    return nullptr;
}

// The window's title is that of the page it shows. The browser tells of a
// title only when asked.
void ChromiumBrowser::UpdatePopupTitle(int windowId)
{
    const OpenedPage* page = ShownPage(windowId);
    if (!page)
        return;
    pipe_.Send(QStringLiteral("Target.getTargetInfo"), {{"targetId", page->targetId}}, {},
               [this, windowId](const QJsonObject& result, const QString&) {
                   const QJsonObject target = result.value(QLatin1String("targetInfo")).toObject();
                   if (ChromiumPopup* popup = popups_.value(windowId); popup && !target.isEmpty())
                       popup->SetPageTitle(target.value(QLatin1String("title")).toString());
               });
}

// Reports the navigations of a session's frames, with the network as the
// control has it; frames in processes of their own come in sessions of their
// own, held until they are followed too.
void ChromiumBrowser::Follow(const QString& session, const QString& owner)
{
    owners_.insert(session, owner);
    pipe_.Send(QStringLiteral("Page.enable"), {}, session);
    LimitPage(pipe_, session);
    pipe_.Send(QStringLiteral("Target.setAutoAttach"),
               {{"autoAttach", true}, {"waitForDebuggerOnStart", true}, {"flatten", true}}, session);
    SendNetworkConditions(session);
    pipe_.Send(QStringLiteral("Runtime.runIfWaitingForDebugger"), {}, session);
}

void ChromiumBrowser::OnEvent(const QString& method, const QJsonObject& params, const QString& session)
{
    if (owners_.contains(session) && AnswerLimitedRequest(pipe_, method, params, session))
        return;
    if (method == QLatin1String("Target.attachedToTarget") && session.isEmpty()) {
        const QString child = params.value(QLatin1String("sessionId")).toString();
        const QJsonObject target = params.value(QLatin1String("targetInfo")).toObject();
        if (target.value(QLatin1String("type")) != "page")  // a service worker, say: it goes on unwatched
            pipe_.Send(QStringLiteral("Runtime.runIfWaitingForDebugger"), {}, child);
        else if (pageSession_.isEmpty())
            FollowPage(child);
        else
            OpenedWindow(child, target.value(QLatin1String("targetId")).toString());
    } else if (method == QLatin1String("Target.attachedToTarget") && owners_.contains(session)) {
        const QString child = params.value(QLatin1String("sessionId")).toString();
        if (params.value(QLatin1String("targetInfo")).toObject().value(QLatin1String("type")) == "iframe")
            Follow(child, owners_.value(session));
        else  // a worker, say: it goes on unwatched
            pipe_.Send(QStringLiteral("Runtime.runIfWaitingForDebugger"), {}, child);
    } else if (method == QLatin1String("Target.detachedFromTarget")) {
        const QString gone = params.value(QLatin1String("sessionId")).toString();
        if (owners_.take(gone) == gone && gone != pageSession_)
            OpenedPageGone(gone);
    } else if (method == QLatin1String("Page.frameNavigated") && owners_.value(session) == pageSession_ &&
               !pageSession_.isEmpty()) {
        const QJsonObject frame = params.value(QLatin1String("frame")).toObject();
        const QString url = frame.value(QLatin1String("url")).toString();
        const bool mainFrame = session == pageSession_ && !frame.contains(QLatin1String("parentId"));
        if (mainFrame && url == kStartPage)
            return;
        if (mainFrame)
            pageUrl_ = url;
        if (mainFrame && dropStartEntry_) {
            dropStartEntry_ = false;
            DropStartEntry();
        }
        emit NavigateComplete2(this, QVariant(url));
    } else if (method == QLatin1String("Page.navigatedWithinDocument") && owners_.value(session) == pageSession_ &&
               !pageSession_.isEmpty()) {
        // A page or frame moved within its document (pushState, replaceState,
        // a #fragment, Back within the page): single-page sites navigate so.
        emit NavigateComplete2(this, QVariant(params.value(QLatin1String("url")).toString()));
    } else if (method == QLatin1String("Page.loadEventFired") && session == pageSession_) {
        emit DocumentComplete(this, QVariant(pageUrl_));
    }
}

// The start page is no place to go back to: its entry goes once the first
// page's entry is the current one, which may be a moment after the page's
// frame is reported navigated.
void ChromiumBrowser::DropStartEntry(int tries)
{
    const QString session = pageSession_;
    pipe_.Send(QStringLiteral("Page.getNavigationHistory"), {}, session,
               [this, session, tries](const QJsonObject& result, const QString& error) {
                   if (session != pageSession_)
                       return;
                   const QJsonArray entries = result.value(QLatin1String("entries")).toArray();
                   const int current = result.value(QLatin1String("currentIndex")).toInt();
                   const QString currentUrl = entries.at(current).toObject().value(QLatin1String("url")).toString();
                   // While the page moves to the process of its new site,
                   // the session answers that it has no page.
                   if (!error.isEmpty() || currentUrl == kStartPage) {
                       if (tries < kStartEntryTries)
                           QTimer::singleShot(kStartEntryRetryMs, this, [this, tries] { DropStartEntry(tries + 1); });
                       return;
                   }
                   if (entries.size() > 1)
                       pipe_.Send(QStringLiteral("Page.resetNavigationHistory"), {}, session);
               });
}

void ChromiumBrowser::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    holder_->setGeometry(rect());
    browserWindow_.Hold();
}

void ChromiumBrowser::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    KeepKeys();
}

// Only while the focus is in the control's own window, as the window system
// has it (the toolkit learns late that a page's window took the focus, and
// moving it back would put the presentation over that window), and no other
// of the program's windows is open: the exit prompt, even minimised, is given
// the focus by the window manager as it comes back, which a focus moved
// meanwhile would keep from it.
void ChromiumBrowser::KeepKeys()
{
    if (!NoOtherWindowOpen() || FocusIsWithin(keys_->winId()))
        return;
    if (FocusIsWithin(window()->winId()))
        keys_->TakeFocus();
    else if (FocusIsNowhere())
        TakeFocusFromNowhere();
}

// The newest of the pages' windows, or else the presentation, takes the
// focus nobody has: the window a visitor opened last is the one in use, and
// a window manager would bring a focused presentation, full screen, over it.
void ChromiumBrowser::TakeFocusFromNowhere()
{
    if (popups_.isEmpty())
        keys_->TakeFocus();
    else  // the browser numbers its windows in the order it opens them
        popups_.value(*std::max_element(popups_.keyBegin(), popups_.keyEnd()))->TakeKeyFocus();
}

// No window of the program's but the presentation and the windows pages opened.
QWidget* ChromiumBrowser::OtherOpenWindow() const
{
    for (QWidget* other : QApplication::topLevelWidgets()) {
        if (other != window() && other->isVisible() && other->windowType() != Qt::ToolTip &&
            other->windowType() != Qt::Popup && !qobject_cast<ChromiumPopup*>(other))
            return other;
    }
    return nullptr;
}

bool ChromiumBrowser::NoOtherWindowOpen() const
{
    return !OtherOpenWindow();
}

// The toolkit gives the focus to the top-level window as it becomes active,
// which would let keys reach the browser's window below the pointer.
void ChromiumBrowser::changeEvent(QEvent* event)
{
    BrowserControl::changeEvent(event);
    if (event->type() == QEvent::ActivationChange)
        KeepKeys();
}

QImage ChromiumBrowser::Picture()
{
    if (!browserWindow_.Window() || !screen())
        return {};
    return screen()->grabWindow(winId()).toImage();
}

void ChromiumBrowser::keyPressEvent(QKeyEvent* event)
{
    // Keys typed the moment another of the program's windows opens, such as
    // the exit prompt, may come here before that window has the focus: they
    // are its keys, not the page's.
    if (QWidget* other = OtherOpenWindow()) {
        QCoreApplication::sendEvent(other->focusWidget() ? other->focusWidget() : other, event);
        return;
    }
    const QString session = KeySession();
    if (const std::optional<QJsonObject> key = PageKeyEvent(*event); key && !session.isEmpty())
        pipe_.Send(QStringLiteral("Input.dispatchKeyEvent"), *key, session);
    event->accept();
}

// Keys go to the page under the pointer: an opened page, or the control's.
// Without a window manager nothing else tells which window the visitor
// means, and a window manager's focus follows the pointer's clicks anyway.
QString ChromiumBrowser::KeySession() const
{
    for (auto popup = popups_.cbegin(); popup != popups_.cend(); ++popup) {
        const OpenedPage* page = ShownPage(popup.key());
        if (page && PointerIsOver(popup.value()->winId()))
            return page->session;
    }
    return pageSession_;
}

void ChromiumBrowser::keyReleaseEvent(QKeyEvent* event)
{
    keyPressEvent(event);
}

void ChromiumBrowser::SendNetworkConditions(const QString& session)
{
    ++conditionsUnanswered_;
    pipe_.Send(QStringLiteral("Network.enable"), {}, session);
    pipe_.Send(QStringLiteral("Network.emulateNetworkConditions"), NetworkConditions(offline_), session,
               [this](const QJsonObject&, const QString&) {
                   --conditionsUnanswered_;
                   StartPendingNavigation();
               });
}

void ChromiumBrowser::setOffline(bool offline)
{
    offline_ = offline;
    for (auto session = owners_.keyBegin(); session != owners_.keyEnd(); ++session)
        SendNetworkConditions(*session);
}

void ChromiumBrowser::Navigate(const QString& url)
{
    // The first address is the homepage's; the kept cache is refreshed
    // online only.
    if (!offline_)
        homepageRefresh_->Start(AddressUrl(url).toString());
    pendingUrl_ = url;
    hasPendingUrl_ = true;
    StartPendingNavigation();
}

void ChromiumBrowser::StartPendingNavigation()
{
    if (!hasPendingUrl_ || pageSession_.isEmpty() || conditionsUnanswered_ > 0)
        return;
    hasPendingUrl_ = false;
    pipe_.Send(QStringLiteral("Page.navigate"), {{"url", AddressUrl(pendingUrl_).toString()}}, pageSession_);
}

}  // namespace quillory
