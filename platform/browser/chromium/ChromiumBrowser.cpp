#include "platform/browser/chromium/ChromiumBrowser.h"

#include "platform/ProcessWindows.h"
#include "platform/browser/AddressUrl.h"
#include "platform/browser/chromium/PageKeys.h"

#include <QJsonArray>
#include <QKeyEvent>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include <unistd.h>

namespace quillory {

namespace {

const QString kBrowser = QStringLiteral("/usr/bin/chromium");
// The empty page the window opens on: a window without tabs or address bar
// needs an address of its own. Pages cannot go to it themselves (top-level
// data: addresses are refused them), so its load is the window's, never a
// navigation of the control's.
const QString kStartPage = QStringLiteral("data:text/html,");
constexpr int kWindowSearchStepMs = 20;
constexpr int kWindowSearchSteps = 750;  // 15 s

QJsonObject NetworkConditions(bool offline)
{
    return {{"offline", offline}, {"latency", 0}, {"downloadThroughput", -1}, {"uploadThroughput", -1}};
}

}  // namespace

ChromiumBrowser::ChromiumBrowser(QWidget* parent) : TwipsPlacedWidget(parent), windowSearch_(new QTimer(this))
{
    setFocusPolicy(Qt::StrongFocus);
    connect(&pipe_, &DevToolsPipe::Event, this, &ChromiumBrowser::OnEvent);
    // A browser that dies takes its window along; the next visitor gets a new one.
    connect(&pipe_, &DevToolsPipe::Ended, this, &ChromiumBrowser::EndBrowser);
    windowSearch_->setInterval(kWindowSearchStepMs);
    connect(windowSearch_, &QTimer::timeout, this, &ChromiumBrowser::TakeWindow);
    StartBrowser();
}

ChromiumBrowser::~ChromiumBrowser()
{
    EndBrowser();
}

void ChromiumBrowser::StartBrowser()
{
    siteData_ = std::make_unique<QTemporaryDir>();
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/chromium");
    QStringList arguments{
        QStringLiteral("--no-first-run"),
        // No bar over the page about the switches the program starts it with.
        QStringLiteral("--test-type"),
        QStringLiteral("--user-data-dir=") + siteData_->path(),
        QStringLiteral("--disk-cache-dir=") + cache,
        QStringLiteral("--app=") + kStartPage,
    };
    // As root the browser starts only with its sandbox off, as Qt's engine.
    if (::geteuid() == 0)
        arguments << QStringLiteral("--no-sandbox");
    if (!pipe_.Start(kBrowser, arguments))
        return;
    // The app window's page is announced once it exists.
    pipe_.Send(QStringLiteral("Target.setDiscoverTargets"), {{"discover", true}});
    windowSearchSteps_ = 0;
    windowSearch_->start();
    dropStartEntry_ = true;
}

// The browser goes before its window's container and its site data; one
// browser at a time uses the disk cache.
void ChromiumBrowser::EndBrowser()
{
    windowSearch_->stop();
    pipe_.Stop();
    delete container_;
    container_ = nullptr;
    browserWindow_ = nullptr;
    attaching_ = false;
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

void ChromiumBrowser::AttachToPage(const QString& targetId)
{
    pipe_.Send(QStringLiteral("Target.attachToTarget"), {{"targetId", targetId}, {"flatten", true}}, {},
               [this](const QJsonObject& result, const QString& error) {
                   if (!error.isEmpty())
                       return;
                   pageSession_ = result.value(QLatin1String("sessionId")).toString();
                   // The page takes the keys the control passes on as though
                   // its window had the focus, which the program's keeps.
                   pipe_.Send(QStringLiteral("Emulation.setFocusEmulationEnabled"), {{"enabled", true}}, pageSession_);
                   Follow(pageSession_);
               });
}

// Reports the navigations of a session's frames, with the network as the
// control has it; frames in processes of their own come in sessions of their
// own, held until they are followed too.
void ChromiumBrowser::Follow(const QString& session)
{
    sessions_.insert(session);
    pipe_.Send(QStringLiteral("Page.enable"), {}, session);
    pipe_.Send(QStringLiteral("Target.setAutoAttach"),
               {{"autoAttach", true}, {"waitForDebuggerOnStart", true}, {"flatten", true}}, session);
    SendNetworkConditions(session);
    pipe_.Send(QStringLiteral("Runtime.runIfWaitingForDebugger"), {}, session);
}

void ChromiumBrowser::OnEvent(const QString& method, const QJsonObject& params, const QString& session)
{
    if (method == QLatin1String("Target.targetCreated") && session.isEmpty()) {
        const QJsonObject target = params.value(QLatin1String("targetInfo")).toObject();
        if (!attaching_ && target.value(QLatin1String("type")) == "page") {
            attaching_ = true;
            AttachToPage(target.value(QLatin1String("targetId")).toString());
        }
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
        // The start page is no place to go back to: its entry goes once the
        // first page has committed.
        if (mainFrame && dropStartEntry_) {
            dropStartEntry_ = false;
            pipe_.Send(QStringLiteral("Page.resetNavigationHistory"), {}, pageSession_);
        }
        emit NavigateComplete2(this, QVariant(url));
    } else if (method == QLatin1String("Page.loadEventFired") && session == pageSession_) {
        emit DocumentComplete(this, QVariant(pageUrl_));
    }
}

// The browser's window comes a moment after its process: once shown, it is
// taken into the control, which keeps it to its own rectangle.
void ChromiumBrowser::TakeWindow()
{
    const quint64 found = FindShownWindowOfProcess(pipe_.ProcessId());
    if (!found) {
        if (!pipe_.IsRunning() || ++windowSearchSteps_ >= kWindowSearchSteps)
            windowSearch_->stop();
        return;
    }
    windowSearch_->stop();
    browserWindow_ = QWindow::fromWinId(static_cast<WId>(found));
    container_ = QWidget::createWindowContainer(browserWindow_, this);
    container_->setGeometry(rect());
    container_->show();
}

void ChromiumBrowser::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (container_)
        container_->setGeometry(rect());
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
