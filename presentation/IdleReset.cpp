// The idle reset of the presentation window: once the minimum delay has
// passed since the last completed navigation, back to the homepage.

#include "exit/frmPassword.h"
#include "platform/ResumeOnError.h"
#include "platform/browser/BrowserControl.h"
#include "presentation/HomepagePicture.h"
#include "presentation/KeyboardDock.h"
#include "presentation/Renewal.h"
#include "presentation/frmBrowser.h"
#include "startup/NumberText.h"
#include "startup/modInitialise.h"

#include <QTimer>

#include <algorithm>
#include <cmath>
#include <limits>

namespace quillory {

using modInitialise::PresentationSettings;

namespace {

// The number of ticks after which the presentation resets: the delay in
// seconds, rounded to the nearest whole number (ties to even), over 10.
std::int32_t ResetThreshold(float minDelay)
{
    const double rounded = RoundHalfEven(minDelay);
    if (!(std::abs(rounded) <= std::numeric_limits<std::int32_t>::max()))
        return 0;  // no delay that large or undefined ever comes: never reset
    return static_cast<std::int32_t>(rounded) / 10;
}

}  // namespace

std::uint32_t FrmBrowser::IdleDelayMs() const
{
    const std::int64_t delay = std::int64_t{ResetThreshold(PresentationSettings.MinDelay)} * tmrTimeout->interval();
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(delay, 0, std::numeric_limits<std::uint32_t>::max()));
}

// Runs at every tick; a step that fails is skipped and the next one runs.
void FrmBrowser::tmrTimeout_Timer()
{
    // The count stops at the top of its 16-bit range rather than wrap.
    if (TickCount < std::numeric_limits<std::int16_t>::max())
        TickCount = static_cast<std::int16_t>(TickCount + 1);
    if (TickCount != ResetThreshold(PresentationSettings.MinDelay))
        return;

    ReturnHome();
    if (PasswordShown != False) {
        ResumeOnError([&] { frmPassword().Hide(); });
        PasswordShown = False;
    }
    ResumeOnError([&] { renewal::AtIdleReset(*this); });
}

// A browser that ended by itself left the screen black: a new one starts at
// once on the homepage, as at a reset, and the visitor's data goes with the
// old one. An exit prompt that is open stays open, with the keys typed into
// it: the attendant may be typing the password.
void FrmBrowser::webBrowser_BrowserEnded()
{
    ReturnHome();
}

// The next visitor finds nothing of the last one, and starts on the homepage.
void FrmBrowser::ReturnHome()
{
    // The homepage's picture shows at once, while the browser is renewed.
    ResumeOnError([&] { homepagePicture_->HomepageAsked(); });
    ResumeOnError([&] { keyboardDock_->PageReset(); });
    ResumeOnError([&] { webBrowser->ForgetVisitor(); });
    // The timer is not restarted here: the homepage's completed navigation
    // does that, whether or not a person is there.
    homeRequested_ = true;
    ResumeOnError([&] { webBrowser->Navigate(PresentationSettings.HomepageURL); });
    TickCount = 0;
    if (PresentationSettings.CloseOpenWindows != False)
        ResumeOnError([&] { CloseBrowserWindows(); });
}

}  // namespace quillory
