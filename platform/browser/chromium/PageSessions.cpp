#include "platform/browser/chromium/PageSessions.h"

#include "platform/browser/chromium/ChromiumStart.h"
#include "platform/browser/chromium/DevToolsPipe.h"
#include "platform/browser/chromium/NetworkEmulation.h"
#include "platform/browser/chromium/PageLimits.h"
#include "platform/browser/chromium/StartEntry.h"

namespace quillory {

PageSessions::PageSessions(DevToolsPipe& pipe, NetworkEmulation& network, QObject* parent)
    : QObject(parent),
      pipe_(pipe),
      network_(network)
{
    connect(&pipe_, &DevToolsPipe::Event, this, &PageSessions::OnEvent);
}

void PageSessions::FollowOpenedPage(const QString& session)
{
    pipe_.Send(QStringLiteral("Emulation.setFocusEmulationEnabled"), {{"enabled", true}}, session);
    Follow(session, session);
}

// Reports the navigations of a session's frames, with the network as the
// control has it; frames in processes of their own come in sessions of their
// own, held until they are followed too.
void PageSessions::Follow(const QString& session, const QString& owner)
{
    owners_.insert(session, owner);
    pipe_.Send(QStringLiteral("Page.enable"), {}, session);
    LimitPage(pipe_, session);
    pipe_.Send(QStringLiteral("Target.setAutoAttach"),
               {{"autoAttach", true}, {"waitForDebuggerOnStart", true}, {"flatten", true}}, session);
    network_.Apply(session);
    emit Following(session);
    pipe_.Send(QStringLiteral("Runtime.runIfWaitingForDebugger"), {}, session);
}

void PageSessions::OnEvent(const QString& method, const QJsonObject& params, const QString& session)
{
    if (owners_.contains(session) && AnswerLimitedRequest(pipe_, method, params, session))
        return;
    if (method == QLatin1String("Target.attachedToTarget")) {
        Attached(params, session);
    } else if (method == QLatin1String("Target.detachedFromTarget")) {
        const QString gone = params.value(QLatin1String("sessionId")).toString();
        if (owners_.take(gone) == gone && gone != pageSession_)
            emit OpenedPageGone(gone);
    } else if (owners_.value(session) != pageSession_ || pageSession_.isEmpty()) {
        return;  // an opened page's: only the control's page is reported
    } else if (method == QLatin1String("Page.frameStartedNavigating")) {
        if (params.value(QLatin1String("frameId")).toString() == pageTargetId_)
            ++pageNavigationsStarted_;
    } else if (method == QLatin1String("Page.frameNavigated")) {
        FrameNavigated(params, session);
    } else if (method == QLatin1String("Page.navigatedWithinDocument")) {
        // A page or frame moved within its document (pushState, replaceState,
        // a #fragment, Back within the page): single-page sites navigate so.
        emit Navigated(params.value(QLatin1String("url")).toString());
    } else if (method == QLatin1String("Page.loadEventFired") && session == pageSession_) {
        emit Loaded(pageUrl_);
    }
}

void PageSessions::Attached(const QJsonObject& params, const QString& parentSession)
{
    const QString child = params.value(QLatin1String("sessionId")).toString();
    const QJsonObject target = params.value(QLatin1String("targetInfo")).toObject();
    const QString type = target.value(QLatin1String("type")).toString();
    if (parentSession.isEmpty() && type == QLatin1String("page") && pageSession_.isEmpty()) {
        // The app window's page, the control's: it takes the keys the control
        // passes on as though its window had the focus, which the program's keeps.
        pageSession_ = child;
        pageTargetId_ = target.value(QLatin1String("targetId")).toString();  // also its main frame's id
        pipe_.Send(QStringLiteral("Emulation.setFocusEmulationEnabled"), {{"enabled", true}}, pageSession_);
        Follow(pageSession_, pageSession_);
        emit PageFollowed();
    } else if (parentSession.isEmpty() && type == QLatin1String("page")) {
        emit WindowOpened(child, target.value(QLatin1String("targetId")).toString());
    } else if (owners_.contains(parentSession) && type == QLatin1String("iframe")) {
        Follow(child, owners_.value(parentSession));
    } else if (parentSession.isEmpty() || owners_.contains(parentSession)) {
        // A service worker or a worker, say: it goes on unwatched.
        pipe_.Send(QStringLiteral("Runtime.runIfWaitingForDebugger"), {}, child);
    }
}

void PageSessions::FrameNavigated(const QJsonObject& params, const QString& session)
{
    const QJsonObject frame = params.value(QLatin1String("frame")).toObject();
    const QString url = frame.value(QLatin1String("url")).toString();
    const bool mainFrame = session == pageSession_ && !frame.contains(QLatin1String("parentId"));
    if (mainFrame && url == kStartPage)
        return;
    if (mainFrame)
        pageUrl_ = url;
    if (mainFrame && !startEntryDropped_) {
        startEntryDropped_ = true;
        DropStartEntry(pipe_, pageSession_, this);
    }
    emit Navigated(url);
}

}  // namespace quillory
