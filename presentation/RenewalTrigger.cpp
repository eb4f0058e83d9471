// When a renewal comes: at an idle reset, once the process tree's memory has
// grown more than the bound above its size when it settled.

#include "platform/TreeMemory.h"
#include "presentation/Renewal.h"
#include "presentation/RenewalHandover.h"
#include "presentation/StillPicture.h"
#include "presentation/frmBrowser.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <optional>

namespace quillory::renewal {

namespace {

// About one renewal every two to three weeks at a busy kiosk: see bench/README.md.
constexpr qint64 kDefaultBoundMiB = 256;
// A homepage that has not come back by then is waited for at a later reset.
constexpr int kHomepageWaitMs = 30000;
// The size the growth is counted from is taken at the first idle reset at
// least this long after the start (with the shortest delay, the first reset).
constexpr qint64 kSettledAfterMs = 10000;

const QElapsedTimer sinceStart = [] {
    QElapsedTimer timer;
    timer.start();
    return timer;
}();

}  // namespace

qint64 BoundKiB()
{
    bool valid = false;
    const int mib = qEnvironmentVariable("QUILLORY_RENEWAL_MIB").toInt(&valid);
    return (valid && mib >= 0 ? mib : kDefaultBoundMiB) * 1024;
}

void AtIdleReset(FrmBrowser& form)
{
    static std::optional<qint64> settled;
    static bool due = false;  // the handover waits for the homepage
    const qint64 bound = BoundKiB();
    // An engine started anew for each visitor keeps nothing to renew.
    if (bound == 0 || due || !form.EngineOutlivesVisitors())
        return;
    const std::optional<qint64> now = TreeMemoryKiB(QCoreApplication::applicationPid());
    if (!now)
        return;
    if (!settled) {
        if (sinceStart.elapsed() < kSettledAfterMs)
            return;
        settled = now;
        return;
    }
    if (*now - *settled <= bound)
        return;
    due = true;
    std::fprintf(stderr, "quillory: renewing at %.1f MiB, %.1f MiB above the settled size\n", *now / 1024.0,
                 (*now - *settled) / 1024.0);
    // The picture is of the homepage this reset brings back, once it loaded;
    // meanwhile no further reset may replace it with the next visitor's blank
    // page.
    form.tmrTimeout->stop();
    auto* once = new QObject(&form);
    QObject::connect(&form, &FrmBrowser::DocumentComplete, once, [once, &form] {
        once->deleteLater();
        WhenDrawn(form, &form, [&form] { (new Handover(form))->Start(); });
    });
    QTimer::singleShot(kHomepageWaitMs, once, [once, &form] {
        once->deleteLater();
        due = false;
        form.tmrTimeout->start();
    });
}

}  // namespace quillory::renewal
