#include "platform/browser/chromium/ChromiumBrowser.h"

#include "platform/ProcessWindows.h"
#include "platform/browser/AddressUrl.h"
#include "platform/browser/EarlyStart.h"
#include "platform/browser/chromium/BrowserEnding.h"
#include "platform/browser/chromium/ChromiumPopup.h"
#include "platform/browser/chromium/ChromiumStart.h"
#include "platform/browser/chromium/ChromiumVisit.h"
#include "platform/browser/chromium/HomepageRefresh.h"
#include "platform/browser/chromium/KeyFocusWindow.h"
#include "platform/browser/chromium/OpenedPages.h"
#include "platform/browser/chromium/PageKeys.h"
#include "platform/browser/chromium/SpareVisitFolders.h"
#include "platform/browser/chromium/WindowHolder.h"

#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QUrl>

#include <utility>

namespace quillory {

namespace {

// The refresh of the kept cache starts at the latest this long after the
// first address was asked for.
constexpr int kLatestRefreshMs = 15000;

}  // namespace

ChromiumBrowser::ChromiumBrowser(QWidget* parent)
    : BrowserControl(parent),
      homepageRefresh_(std::make_unique<HomepageRefresh>(ChromiumHomepageCache())),
      spareFolders_(std::make_unique<SpareVisitFolders>()),
      holder_(new QWidget(this)),
      keys_(new KeyFocusWindow(this, this, holder_, [this] { return NoOtherWindowOpen(); })),
      pending_([this] { return visit_ && visit_->ReadyToNavigate(); },
               [this](const QString& url) { visit_->Navigate(url); })
{
    setFocusPolicy(Qt::StrongFocus);
    // The browser's window goes into a window of the holder's; the keyboard
    // focus stays in a window beside it, through which keys come to the
    // control wherever the pointer is.
    holder_->setAttribute(Qt::WA_NativeWindow);
    NameHelperWindow(*this, "browser control");
    NameHelperWindow(*holder_, "browser");
    // The next visitor starts from the refreshed cache.
    connect(homepageRefresh_.get(), &HomepageRefresh::Finished, this, [this](bool refreshed) {
        if (refreshed)
            spareFolders_->Renew();
    });
    std::unique_ptr<ChromiumVisit> early = TakeEarlyChromiumVisit();
    StartVisit(early ? std::move(early) : std::make_unique<ChromiumVisit>(spareFolders_->Take()));
}

// The visitor's browser goes first, then every one still ending is waited
// for, with every folder of theirs and the spare ones.
ChromiumBrowser::~ChromiumBrowser()
{
    visit_.reset();
    spareFolders_.reset();
    BrowserEnding::FinishAll();
}

bool ChromiumBrowser::IsInstalled()
{
    return QFileInfo(kChromiumProgram).isExecutable();
}

void ChromiumBrowser::StartVisit(std::unique_ptr<ChromiumVisit> visit)
{
    visit_ = std::move(visit);
    ChromiumVisit* const started = visit_.get();
    started->SetOffline(offline_);
    started->Show(holder_, *this);
    connect(started, &ChromiumVisit::ReadyToNavigateNow, this, [this] { pending_.StartIfReady(); });
    connect(started, &ChromiumVisit::Navigated, this,
            [this](const QString& url) { emit NavigateComplete2(this, url); });
    connect(started, &ChromiumVisit::Loaded, this, [this](const QString& url) {
        StartHomepageRefresh();
        emit DocumentComplete(this, url);
    });
    connect(started, &ChromiumVisit::TextFieldFocused, this, &ChromiumBrowser::TextFieldFocused);
    connect(started, &ChromiumVisit::TextFieldLeft, this, &ChromiumBrowser::TextFieldLeft);
    connect(started, &ChromiumVisit::PointerUsed, this, [this](bool touch) {
        if (touch != std::exchange(touchPointer_, touch))
            emit PointerKindChanged(touch);
    });
    // Later, as the pipe is still telling of the end; never once the visit is gone.
    connect(
        started, &ChromiumVisit::Ended, started, [this, started] { VisitEnded(started); }, Qt::QueuedConnection);
    // While the window is new, the toolkit may still be giving the focus to
    // the top-level window, as it becomes active.
    // Without a window manager nobody gives the program the focus at all:
    // it is taken whenever nobody has it.
    connect(started->Window(), &WindowHolder::Held, this, [this](bool settling) {
        if (settling)
            KeepKeys();
        else if (FocusIsNowhere() && NoOtherWindowOpen())
            TakeFocusFromNowhere();
    });
    pending_.StartIfReady();
}

// A browser that died took its windows along, and is told of once its end
// has been seen to, unless a new one started meanwhile, as at a return home;
// one that keeps dying is told of ever later.
void ChromiumBrowser::VisitEnded(ChromiumVisit* ended)
{
    if (visit_.get() != ended)
        return;
    const qint64 lived = visit_->LivedMs();
    if (visit_->FieldFocused())
        emit TextFieldLeft();
    visit_.reset();
    QTimer::singleShot(pacing_.DelayAfterEnd(lived), this, [this] {
        if (!visit_)
            emit BrowserEnded();
    });
}

void ChromiumBrowser::ForgetVisitor()
{
    // The new browser starts while the old one ends.
    if (visit_ && visit_->FieldFocused())
        emit TextFieldLeft();
    visit_.reset();
    StartVisit(std::make_unique<ChromiumVisit>(spareFolders_->Take()));
}

qint64 ChromiumBrowser::BrowserProcessId() const
{
    return visit_ ? visit_->ProcessId() : -1;
}

void ChromiumBrowser::TypeText(const QString& text)
{
    if (visit_)
        visit_->TypeText(text);
}

void ChromiumBrowser::TypeKey(Qt::Key key)
{
    if (visit_)
        visit_->TypeKey(key);
}

void ChromiumBrowser::Navigate(const QString& url)
{
    // The first address is the homepage's; the kept cache is refreshed
    // online only, once the visible page has loaded: two browsers starting
    // at once on two cores made the homepage take twice as long to show.
    // A homepage that never finishes loading holds the refresh back only
    // so long.
    if (!offline_ && refreshedHomepage_.isEmpty()) {
        refreshedHomepage_ = AddressUrl(url).toString();
        QTimer::singleShot(kLatestRefreshMs, this, &ChromiumBrowser::StartHomepageRefresh);
    }
    pending_.Ask(url);
}

// Once in a run; never once the program has gone offline, which cancels it.
void ChromiumBrowser::StartHomepageRefresh()
{
    if (!refreshedHomepage_.isEmpty())
        homepageRefresh_->Start(refreshedHomepage_);
}

void ChromiumBrowser::setOffline(bool offline)
{
    offline_ = offline;
    if (offline)
        homepageRefresh_->Cancel();
    if (visit_)
        visit_->SetOffline(offline);
}

QImage ChromiumBrowser::Picture()
{
    if (!visit_ || !visit_->Window()->Window() || !screen())
        return {};
    return screen()->grabWindow(winId()).toImage();
}

void ChromiumBrowser::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    holder_->setGeometry(rect());
    if (visit_)
        visit_->Window()->Hold();
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
    if (ChromiumPopup* newest = visit_ && visit_->Opened() ? visit_->Opened()->Newest() : nullptr)
        newest->TakeKeyFocus();
    else
        keys_->TakeFocus();
}

// Another of the program's windows, open over the pages: the exit prompt.
// The on-screen keyboard, which never takes the focus, is not one.
QWidget* ChromiumBrowser::OtherOpenWindow() const
{
    for (QWidget* other : QApplication::topLevelWidgets()) {
        if (other != window() && other->isVisible() && other->windowType() != Qt::ToolTip &&
            other->windowType() != Qt::Popup && !qobject_cast<ChromiumPopup*>(other) &&
            !other->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus))
            return other;
    }
    return nullptr;
}

// The toolkit gives the focus to the top-level window as it becomes active,
// which would let keys reach the browser's window below the pointer.
void ChromiumBrowser::changeEvent(QEvent* event)
{
    BrowserControl::changeEvent(event);
    if (event->type() == QEvent::ActivationChange)
        KeepKeys();
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
    const QString session = visit_ ? visit_->KeySession() : QString();
    if (const std::optional<QJsonObject> key = PageKeyEvent(*event); key && !session.isEmpty())
        visit_->SendKey(*key, session);
    event->accept();
}

void ChromiumBrowser::keyReleaseEvent(QKeyEvent* event)
{
    keyPressEvent(event);
}

}  // namespace quillory
