#include "platform/browser/chromium/WindowHolder.h"

#include "platform/ProcessWindows.h"

#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace quillory {

namespace {

constexpr int kSearchStepMs = 20;
constexpr int kSearchSteps = 750;
// Held every 100 ms for 5 s, then every 500 ms for good.
constexpr int kSettleStepMs = 100;
constexpr int kSettleSteps = 50;
constexpr int kKeepStepMs = 500;

}  // namespace

void NameHelperWindow(QWidget& window, const char* name)
{
    window.winId();
    if (window.windowHandle())
        window.windowHandle()->setTitle(QLatin1String(name));
}

WindowHolder::WindowHolder(QWidget* holder) : QObject(holder), holder_(holder), timer_(new QTimer(this))
{
    connect(timer_, &QTimer::timeout, this, &WindowHolder::Step);
}

void WindowHolder::Take(Finder find)
{
    find_ = std::move(find);
    window_ = 0;
    steps_ = 0;
    timer_->start(kSearchStepMs);
}

void WindowHolder::Forget()
{
    timer_->stop();
    window_ = 0;
}

void WindowHolder::Release()
{
    if (window_)
        ReleaseWindow(window_);
    Forget();
}

void WindowHolder::Hold()
{
    if (window_)
        HoldWindowWithin(window_, holder_->winId(), HeldRect());
}

QRect WindowHolder::HeldRect() const
{
    return holder_->rect().marginsAdded(hiddenMargins_);
}

void WindowHolder::SetHiddenMargins(const QMargins& margins)
{
    hiddenMargins_ = margins;
    Hold();
}

// One timer searches, then holds; steps_ counts the steps of each in turn.
void WindowHolder::Step()
{
    if (!window_) {
        window_ = find_();
        if (!window_) {
            if (++steps_ >= kSearchSteps)
                timer_->stop();
            return;
        }
        steps_ = 0;
        timer_->start(kSettleStepMs);
    }
    Hold();
    const bool settling = steps_ < kSettleSteps;
    emit Held(settling);
    if (++steps_ == kSettleSteps)
        timer_->start(kKeepStepMs);
}

}  // namespace quillory
