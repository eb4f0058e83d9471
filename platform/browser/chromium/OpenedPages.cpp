#include "platform/browser/chromium/OpenedPages.h"

#include "platform/ProcessWindows.h"
#include "platform/WindowManager.h"
#include "platform/browser/NewWindowDecision.h"
#include "platform/browser/chromium/ChromiumBrowser.h"
#include "platform/browser/chromium/ChromiumPopup.h"
#include "platform/browser/chromium/DevToolsPipe.h"
#include "platform/browser/chromium/PageSessions.h"

#include <QJsonArray>
#include <QTimer>

namespace quillory {

namespace {

constexpr int kBarMeasures = 40;
constexpr int kBarMeasureGapMs = 50;

}  // namespace

OpenedPages::OpenedPages(DevToolsPipe& pipe, PageSessions& sessions, ChromiumBrowser& control,
                         const WindowHolder& taken)
    : pipe_(pipe),
      sessions_(sessions),
      control_(control),
      taken_(taken)
{
    connect(&sessions_, &PageSessions::WindowOpened, this, &OpenedPages::WindowOpened);
    connect(&sessions_, &PageSessions::OpenedPageGone, this, &OpenedPages::PageGone);
}

OpenedPages::~OpenedPages()
{
    // A browser that ended took its windows along: none is left to let go of.
    if (!pipe_.IsRunning()) {
        for (const auto& [windowId, popup] : popups_)
            popup->Holder().Forget();
    }
    popups_.clear();
}

// A window refused goes at once, empty.
void OpenedPages::WindowOpened(const QString& session, const QString& targetId)
{
    if (!NewWindowAllowed(control_, pages_.size())) {
        pipe_.Send(QStringLiteral("Target.closeTarget"), {{"targetId", targetId}});
        return;
    }
    sessions_.FollowOpenedPage(session);
    pages_.append({targetId, session, 0});
    pipe_.Send(QStringLiteral("Browser.getWindowForTarget"), {{"targetId", targetId}}, {},
               [this, session](const QJsonObject& result, const QString& error) {
                   for (OpenedPage& page : pages_) {
                       if (page.session == session && error.isEmpty()) {
                           page.windowId = result.value(QLatin1String("windowId")).toInt();
                           const QJsonObject bounds = result.value(QLatin1String("bounds")).toObject();
                           Show(page, QSize(bounds.value(QLatin1String("width")).toInt(),
                                            bounds.value(QLatin1String("height")).toInt()));
                       }
                   }
               });
}

// The opened page shows in the program's window for its browser window: a
// new one, or the one whose browser window it joined as a tab.
void OpenedPages::Show(const OpenedPage& page, const QSize& size)
{
    if (popups_.count(page.windowId)) {
        UpdateTitle(page.windowId);
        return;
    }
    MeasureBars(page.windowId, page.session, size, kBarMeasures);
}

// The browser window shows its tab strip and address bar above the page,
// which the program's window leaves outside and so clips. Its size is the
// browser window's less those bars: the browser window is taken in as it is,
// as one resized from outside may stop drawing. Just after the window opens
// the page may still report a viewport larger than its window, which would
// hold the browser's window in a sliver of the program's: measured again
// until the bars make sense.
void OpenedPages::MeasureBars(int windowId, const QString& session, const QSize& size, int triesLeft)
{
    pipe_.Send(QStringLiteral("Runtime.evaluate"),
               {{"expression", "[outerWidth - innerWidth, outerHeight - innerHeight]"}, {"returnByValue", true}},
               session, [this, windowId, session, size, triesLeft](const QJsonObject& result, const QString&) {
                   if (popups_.count(windowId) || !ShownPage(windowId))
                       return;
                   const QJsonArray bars = result.value("result").toObject().value("value").toArray();
                   const int across = bars.size() == 2 ? bars.at(0).toInt() : -1;
                   const int down = bars.size() == 2 ? bars.at(1).toInt() : -1;
                   const bool sensible =
                       across >= 0 && down >= 0 && across < size.width() / 2 && down < size.height() / 2;
                   if (!sensible && triesLeft > 1) {
                       QTimer::singleShot(kBarMeasureGapMs, this, [this, windowId, session, size, triesLeft] {
                           MeasureBars(windowId, session, size, triesLeft - 1);
                       });
                       return;
                   }
                   // Any frame the browser draws around its window is as wide
                   // at the sides as at the bottom.
                   const int side = sensible ? across / 2 : 0;
                   const int top = sensible ? down - side : 0;
                   ShowPopup(windowId, size, QMargins(side, top, side, side));
               });
}

void OpenedPages::ShowPopup(int windowId, const QSize& size, const QMargins& bars)
{
    if (popups_.count(windowId) || !ShownPage(windowId))
        return;
    auto* popup = new ChromiumPopup(size.shrunkBy(bars), &control_, [this] { return control_.NoOtherWindowOpen(); });
    popups_[windowId].reset(popup);
    popup->Holder().SetHiddenMargins(bars);
    UpdateTitle(windowId);
    connect(popup, &ChromiumPopup::CloseAsked, this, [this, windowId] { ClosePopup(windowId); });
    connect(&popup->Holder(), &WindowHolder::Held, this, [this, windowId] { UpdateTitle(windowId); });
    const qint64 pid = pipe_.ProcessId();
    popup->Holder().Take([this, pid, size] { return FindShownWindowOfProcess(pid, TakenWindows(), size); });
    // In front, as a window the visitor asked for: the click that opened it
    // went to the browser, not to the program, and a window manager would
    // otherwise keep it behind the presentation.
    popup->show();
    // Never over the exit prompt, which keeps the keys.
    if (control_.NoOtherWindowOpen()) {
        popup->raise();
        popup->activateWindow();
    }
    BringBackToScreen(popup->winId());
}

QList<quint64> OpenedPages::TakenWindows() const
{
    QList<quint64> taken{taken_.Window()};
    for (const auto& [windowId, popup] : popups_)
        taken.append(popup->Holder().Window());
    return taken;
}

// Asked to close, the program's window closes its pages, and goes.
void OpenedPages::ClosePopup(int windowId)
{
    for (const OpenedPage& page : std::as_const(pages_)) {
        if (page.windowId == windowId)
            pipe_.Send(QStringLiteral("Target.closeTarget"), {{"targetId", page.targetId}});
    }
    // Later: the window is still in its close event.
    if (auto popup = popups_.find(windowId); popup != popups_.end()) {
        popup->second.release()->deleteLater();
        popups_.erase(popup);
    }
}

// An opened page closed itself, or was closed: its window goes with the last.
void OpenedPages::PageGone(const QString& session)
{
    int windowId = 0;
    for (int i = 0; i < pages_.size(); ++i) {
        if (pages_.at(i).session == session) {
            windowId = pages_.at(i).windowId;
            pages_.removeAt(i);
            break;
        }
    }
    if (ShownPage(windowId))
        UpdateTitle(windowId);
    else
        popups_.erase(windowId);
}

// The newest page of a browser window is the one it shows.
const OpenedPages::OpenedPage* OpenedPages::ShownPage(int windowId) const
{
    for (auto page = pages_.crbegin(); page != pages_.crend(); ++page) {
        if (page->windowId == windowId)
            return &*page;
    }
    return nullptr;
}

// The window's title is that of the page it shows. The browser tells of a
// title only when asked.
void OpenedPages::UpdateTitle(int windowId)
{
    const OpenedPage* page = ShownPage(windowId);
    if (!page)
        return;
    pipe_.Send(QStringLiteral("Target.getTargetInfo"), {{"targetId", page->targetId}}, {},
               [this, windowId](const QJsonObject& result, const QString&) {
                   const QJsonObject target = result.value(QLatin1String("targetInfo")).toObject();
                   if (auto popup = popups_.find(windowId); popup != popups_.end() && !target.isEmpty())
                       popup->second->SetPageTitle(target.value(QLatin1String("title")).toString());
               });
}

// Keys go to the page under the pointer. Without a window manager nothing
// else tells which window the visitor means, and a window manager's focus
// follows the pointer's clicks anyway.
QString OpenedPages::SessionUnderPointer() const
{
    for (const auto& [windowId, popup] : popups_) {
        const OpenedPage* page = ShownPage(windowId);
        if (page && PointerIsOver(popup->winId()))
            return page->session;
    }
    return {};
}

// The browser numbers its windows in the order it opens them.
ChromiumPopup* OpenedPages::Newest() const
{
    return popups_.empty() ? nullptr : popups_.rbegin()->second.get();
}

}  // namespace quillory
