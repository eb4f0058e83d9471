#include "platform/browser/chromium/ChromiumBrowser.h"

#include "platform/ProcessWindows.h"
#include "platform/browser/AddressUrl.h"
#include "platform/browser/SiteDataFolders.h"
#include "platform/browser/chromium/PageKeys.h"
#include "platform/browser/chromium/PageLimits.h"

#include <QApplication>
#include <QFileInfo>
#include <QJsonArray>
#include <QKeyEvent>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

#include <unistd.h>

namespace quillory {

namespace {

const QString kBrowser = QStringLiteral("/usr/bin/chromium");
// The empty page the window opens on: a window without tabs or address bar
// needs an address of its own. Pages cannot go to it themselves (top-level
// data: addresses are refused them), so its load is the window's, never a
// navigation of the control's.
const QString kStartPage = QStringLiteral("data:text/html,");
// The browser's window is looked for every 20 ms, for 15 s at most.
constexpr int kWindowSearchStepMs = 20;
constexpr int kWindowSearchSteps = 750;
// A window manager that managed the window before it was taken lets it go,
// and may hide it as it does, a moment later: the window is held in place
// every 100 ms for 5 s, then every 500 ms.
constexpr int kWindowHoldStepMs = 100;
constexpr int kWindowHoldSteps = 50;
constexpr int kWindowKeepStepMs = 500;
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
      windowSearch_(new QTimer(this)),
      holder_(new QWidget(this)),
      keys_(new QWidget(this))
{
    setFocusPolicy(Qt::StrongFocus);
    connect(&pipe_, &DevToolsPipe::Event, this, &ChromiumBrowser::OnEvent);
    // A browser that dies takes its window along; the next visitor gets a new one.
    connect(&pipe_, &DevToolsPipe::Ended, this, &ChromiumBrowser::EndBrowser);
    // The browser's window goes into a window of the holder's; the keyboard
    // focus stays in a window beside it, through which keys come to the
    // control wherever the pointer is.
    holder_->setAttribute(Qt::WA_NativeWindow);
    keys_->setAttribute(Qt::WA_NativeWindow);
    keys_->setGeometry(0, 0, 1, 1);
    keys_->installEventFilter(this);
    keys_->lower();
    connect(windowSearch_, &QTimer::timeout, this, &ChromiumBrowser::TakeWindow);
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
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/chromium");
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
    // As root the browser starts only with its sandbox off, as Qt's engine.
    if (::geteuid() == 0)
        arguments << QStringLiteral("--no-sandbox");
    // What the browser keeps in temporary files, and its crash dumps, which
    // hold what the page held, go with the visit too: crash dumps go to the
    // configuration folder, whatever the user data folder.
    const QStringList environment{QStringLiteral("TMPDIR=") + siteData_->path(),
                                  QStringLiteral("XDG_CONFIG_HOME=") + siteData_->path()};
    if (!pipe_.Start(kBrowser, arguments, environment))
        return;
    // Every page the browser opens comes attached, and waits: the app
    // window's page, which is the control's, and any window a page opens,
    // which may then be closed before it has loaded anything.
    pipe_.Send(QStringLiteral("Target.setAutoAttach"),
               {{"autoAttach", true}, {"waitForDebuggerOnStart", true}, {"flatten", true}});
    LimitBrowser(pipe_);
    windowSearchSteps_ = 0;
    windowSearch_->start(kWindowSearchStepMs);
    dropStartEntry_ = true;
}

// The browser goes before its window's container and its site data; one
// browser at a time uses the disk cache.
void ChromiumBrowser::EndBrowser()
{
    windowSearch_->stop();
    pipe_.Stop();
    browserWindow_ = 0;
    pageSession_.clear();
    sessions_.clear();
    pageUrl_.clear();
    conditionsUnanswered_ = 0;
    siteData_.reset();
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
    Follow(pageSession_);
}

// A page asked for a window, which the browser made and holds before it
// loads anything: a window refused goes at once, empty.
void ChromiumBrowser::OpenedWindow(const QString& session, const QString& targetId)
{
    QObject* ppDisp = nullptr;
    Boolean Cancel = False;
    emit NewWindow2(&ppDisp, &Cancel);
    if (Cancel != False)
        pipe_.Send(QStringLiteral("Target.closeTarget"), {{"targetId", targetId}});
    else
        pipe_.Send(QStringLiteral("Runtime.runIfWaitingForDebugger"), {}, session);
}

// Reports the navigations of a session's frames, with the network as the
// control has it; frames in processes of their own come in sessions of their
// own, held until they are followed too.
void ChromiumBrowser::Follow(const QString& session)
{
    sessions_.insert(session);
    pipe_.Send(QStringLiteral("Page.enable"), {}, session);
    LimitPage(pipe_, session);
    pipe_.Send(QStringLiteral("Target.setAutoAttach"),
               {{"autoAttach", true}, {"waitForDebuggerOnStart", true}, {"flatten", true}}, session);
    SendNetworkConditions(session);
    pipe_.Send(QStringLiteral("Runtime.runIfWaitingForDebugger"), {}, session);
}

void ChromiumBrowser::OnEvent(const QString& method, const QJsonObject& params, const QString& session)
{
    if (sessions_.contains(session) && AnswerLimitedRequest(pipe_, method, session))
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
    } else if (method == QLatin1String("Target.attachedToTarget") && sessions_.contains(session)) {
        const QString child = params.value(QLatin1String("sessionId")).toString();
        if (params.value(QLatin1String("targetInfo")).toObject().value(QLatin1String("type")) == "iframe")
            Follow(child);
        else  // a worker, say: it goes on unwatched
            pipe_.Send(QStringLiteral("Runtime.runIfWaitingForDebugger"), {}, child);
    } else if (method == QLatin1String("Target.detachedFromTarget")) {
        sessions_.remove(params.value(QLatin1String("sessionId")).toString());
    } else if (method == QLatin1String("Page.frameNavigated") && sessions_.contains(session)) {
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

// The browser's window comes a moment after its process: once shown, it is
// taken into the control, which keeps it to its own rectangle. The one timer
// searches, then holds; windowSearchSteps_ counts the steps of each in turn.
void ChromiumBrowser::TakeWindow()
{
    if (!browserWindow_) {
        browserWindow_ = FindShownWindowOfProcess(pipe_.ProcessId());
        if (!browserWindow_) {
            if (!pipe_.IsRunning() || ++windowSearchSteps_ >= kWindowSearchSteps)
                windowSearch_->stop();
            return;
        }
        windowSearchSteps_ = 0;
        windowSearch_->start(kWindowHoldStepMs);
    }
    HoldWindowWithin(browserWindow_, holder_->winId(), holder_->rect());
    // While the window is new, the toolkit may still be giving the focus to
    // the top-level window, as it becomes active.
    if (windowSearchSteps_ < kWindowHoldSteps)
        KeepKeys();
    // Then now and then for good: a page gone full screen has the browser
    // resize its window to the screen, over the left strip.
    if (++windowSearchSteps_ == kWindowHoldSteps)
        windowSearch_->start(kWindowKeepStepMs);
}

void ChromiumBrowser::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    holder_->setGeometry(rect());
    if (browserWindow_)
        HoldWindowWithin(browserWindow_, holder_->winId(), holder_->rect());
}

void ChromiumBrowser::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    KeepKeys();
}

// Only while the control's own window is the focused one, and no other of
// the program's windows is open: the exit prompt, even minimised, is given
// the focus by the window manager as it comes back, which a focus moved
// meanwhile would keep from it.
void ChromiumBrowser::KeepKeys()
{
    if (!hasFocus() || !window()->windowHandle() || QGuiApplication::focusWindow() != window()->windowHandle())
        return;
    for (const QWidget* other : QApplication::topLevelWidgets()) {
        if (other != window() && other->isVisible() && other->windowType() != Qt::ToolTip &&
            other->windowType() != Qt::Popup)
            return;
    }
    FocusWindow(keys_->winId());
}

// The toolkit gives the focus to the top-level window as it becomes active,
// which would let keys reach the browser's window below the pointer.
void ChromiumBrowser::changeEvent(QEvent* event)
{
    BrowserControl::changeEvent(event);
    if (event->type() == QEvent::ActivationChange)
        KeepKeys();
}

bool ChromiumBrowser::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == keys_ && (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)) {
        keyPressEvent(static_cast<QKeyEvent*>(event));
        return true;
    }
    return BrowserControl::eventFilter(watched, event);
}

QImage ChromiumBrowser::Picture()
{
    if (!browserWindow_ || !screen())
        return {};
    return screen()->grabWindow(winId()).toImage();
}

void ChromiumBrowser::keyPressEvent(QKeyEvent* event)
{
    if (const std::optional<QJsonObject> key = PageKeyEvent(*event); key && !pageSession_.isEmpty())
        pipe_.Send(QStringLiteral("Input.dispatchKeyEvent"), *key, pageSession_);
    event->accept();
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
    for (const QString& session : sessions_)
        SendNetworkConditions(session);
}

void ChromiumBrowser::Navigate(const QString& url)
{
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
