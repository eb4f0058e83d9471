#include "platform/browser/chromium/ChromiumVisit.h"

#include "platform/ProcessWindows.h"
#include "platform/browser/AddressUrl.h"
#include "platform/browser/chromium/BrowserEnding.h"
#include "platform/browser/chromium/OpenedPages.h"
#include "platform/browser/chromium/PageKeys.h"
#include "platform/browser/chromium/WindowHolder.h"

#include <QKeyEvent>
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
    connect(&sessions_, &PageSessions::Following, &fields_, &TextFieldWatch::Follow);
    connect(&fields_, &TextFieldWatch::Focused, this, &ChromiumVisit::TextFieldFocused);
    connect(&fields_, &TextFieldWatch::Left, this, &ChromiumVisit::TextFieldLeft);
    connect(&fields_, &TextFieldWatch::PointerUsed, this, &ChromiumVisit::PointerUsed);
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

void ChromiumVisit::Navigate(const QString& url, int attempt)
{
    // The browser drops a navigation asked for while the page before it is
    // still being committed (net::ERR_ABORTED, and nothing else starts): it is
    // asked for again, unless the page or another call has navigated since.
    constexpr int kAttempts = 3;
    if (attempt == 1)
        ++navigationsAsked_;
    const int asked = navigationsAsked_;
    const int startedBefore = sessions_.PageNavigationsStarted();
    pipe_.Send(QStringLiteral("Page.navigate"), {{"url", AddressUrl(url).toString()}}, sessions_.PageSession(),
               [this, url, attempt, asked, startedBefore](const QJsonObject& result, const QString&) {
                   const bool dropped = result.value(QLatin1String("errorText")) == QLatin1String("net::ERR_ABORTED") &&
                                        !result.value(QLatin1String("isDownload")).toBool();
                   const bool nothingSince = asked == navigationsAsked_ &&
                                             sessions_.PageNavigationsStarted() <= startedBefore + 1;
                   if (dropped && nothingSince && attempt < kAttempts)
                       Navigate(url, attempt + 1);
               });
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

// The field's page takes the typing: the control's page passes it on to
// whichever of its frames has the focus; an opened page is a page of its own.
QString ChromiumVisit::TypingSession() const
{
    const QString owner = sessions_.OwnerOf(fields_.FieldSession());
    return owner.isEmpty() ? sessions_.PageSession() : owner;
}

void ChromiumVisit::TypeText(const QString& text)
{
    // Characters only: a control character would be a key of its own.
    QString printable;
    for (const QChar character : text) {
        if (character.isPrint() || character.isSurrogate())
            printable += character;
    }
    if (printable.isEmpty() || TypingSession().isEmpty())
        return;
    fields_.NoteTyping();
    pipe_.Send(QStringLiteral("Input.insertText"), {{"text", printable}}, TypingSession());
}

void ChromiumVisit::TypeKey(Qt::Key key)
{
    if (key != Qt::Key_Backspace && key != Qt::Key_Tab && key != Qt::Key_Return && key != Qt::Key_Left &&
        key != Qt::Key_Right)
        return;
    const QString session = TypingSession();
    if (session.isEmpty())
        return;
    fields_.NoteTyping();
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        if (const std::optional<QJsonObject> event = PageKeyEvent(QKeyEvent(type, key, Qt::NoModifier)))
            SendKey(*event, session);
    }
}

void ChromiumVisit::SendToPage(const QString& method, const QJsonObject& params, const QString& session,
                               DevToolsPipe::Answer answered)
{
    pipe_.Send(method, params, session.isEmpty() ? sessions_.PageSession() : session, std::move(answered));
}

}  // namespace quillory
