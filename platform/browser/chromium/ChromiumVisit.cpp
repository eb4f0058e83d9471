#include "platform/browser/chromium/ChromiumVisit.h"

#include "platform/ProcessWindows.h"
#include "platform/browser/AddressUrl.h"
#include "platform/browser/chromium/BrowserEnding.h"
#include "platform/browser/chromium/OpenedPages.h"
#include "platform/browser/chromium/WindowHolder.h"

#include <QUrl>

namespace quillory {

ChromiumVisit::ChromiumVisit(VisitFolders folders) : folders_(std::move(folders))
{
    connect(&pipe_, &DevToolsPipe::Ended, this, &ChromiumVisit::Ended);
    connect(&sessions_, &PageSessions::PageFollowed, this, &ChromiumVisit::ReadyToNavigateNow);
    connect(&network_, &NetworkEmulation::Answered, this, [this] {
        if (ReadyToNavigate())
            emit ReadyToNavigateNow();
    });
    connect(&sessions_, &PageSessions::Navigated, this, &ChromiumVisit::Navigated);
    connect(&sessions_, &PageSessions::Loaded, this, &ChromiumVisit::Loaded);
    // Before the visit is shown no page can have asked for a window: closed.
    connect(&sessions_, &PageSessions::WindowOpened, this, [this](const QString&, const QString& targetId) {
        if (!opened_)
            pipe_.Send(QStringLiteral("Target.closeTarget"), {{"targetId", targetId}});
    });
    if (StartChromium(pipe_, folders_))
        lived_.start();
}

ChromiumVisit::~ChromiumVisit()
{
    opened_.reset();
    if (window_ && Running())
        window_->Release();
    window_.reset();
    // The folders go once the browser has ended (at once, on a folder
    // thread, if it never started).
    if (BrowserEnding* ending = pipe_.Close()) {
        ending->KeepUntilEnded(std::move(folders_.siteData));
        ending->KeepUntilEnded(std::move(folders_.shortTemporary));
    }
}

void ChromiumVisit::Show(QWidget* holder, ChromiumBrowser& control)
{
    window_ = std::make_unique<WindowHolder>(holder);
    opened_ = std::make_unique<OpenedPages>(pipe_, sessions_, control, *window_);
    const qint64 pid = pipe_.ProcessId();
    window_->Take([pid] { return FindShownWindowOfProcess(pid); });
}

bool ChromiumVisit::ReadyToNavigate() const
{
    return !sessions_.PageSession().isEmpty() && network_.Taken();
}

void ChromiumVisit::Navigate(const QString& url)
{
    pipe_.Send(QStringLiteral("Page.navigate"), {{"url", AddressUrl(url).toString()}}, sessions_.PageSession());
}

void ChromiumVisit::SetOffline(bool offline)
{
    network_.SetOffline(offline, sessions_.Followed());
}

QString ChromiumVisit::KeySession() const
{
    const QString underPointer = opened_ ? opened_->SessionUnderPointer() : QString();
    return underPointer.isEmpty() ? sessions_.PageSession() : underPointer;
}

void ChromiumVisit::SendKey(const QJsonObject& key, const QString& session)
{
    pipe_.Send(QStringLiteral("Input.dispatchKeyEvent"), key, session);
}

}  // namespace quillory
