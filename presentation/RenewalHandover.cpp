#include "presentation/RenewalHandover.h"

#include "exit/frmPassword.h"
#include "platform/HandoverChannel.h"
#include "platform/Processes.h"
#include "platform/ProgramEnd.h"
#include "platform/RenewalWaiter.h"
#include "platform/User32Provider.h"
#include "platform/browser/SiteDataFolders.h"
#include "presentation/RenewalChannel.h"
#include "presentation/StillPicture.h"
#include "presentation/frmBrowser.h"

#include <QCoreApplication>
#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>

namespace quillory::renewal {

namespace {

// The engine writes its disk cache out shortly after its profile is released.
constexpr int kCacheWriteMs = 500;
// A new instance not ready by then has failed.
constexpr int kHandoverTimeoutMs = 60000;

}  // namespace

Handover::Handover(FrmBrowser& form) : QObject(&form), form_(form)
{
    // Ended before the handover is done (a stop request): the new instance goes too.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        if (!finished_ && successor_ > 0)
            AskProcessToEnd(successor_);
    });
}

void Handover::Start()
{
    // The homepage stays on the screen as a picture while no page can.
    auto* picture = new StillPicture(form_.screen()->grabWindow(form_.winId()), &form_);
    picture->setGeometry(form_.rect());
    picture->show();
    picture->raise();
    picture->repaint();
    // Nothing reaches the hot corner or the page meanwhile.
    form_.setEnabled(false);
    form_.tmrTimeout->stop();
    if (form_.PasswordShown != False) {
        frmPassword().Hide();
        form_.PasswordShown = False;
    }
    form_.CloseBrowser();
    QTimer::singleShot(kCacheWriteMs, this, [this] { StartSuccessor(); });
}

void Handover::StartSuccessor()
{
    Successor started;
    const char* failure = SpawnSuccessor(SuccessorNamingPipe(), started);
    channel_ = started.channel;
    namingRead_ = started.namingRead;
    successor_ = started.pid;
    if (failure)
        return Fail(failure);

    if (!SendAll(channel_, SettingsMessage()))
        return Fail("the new instance took no settings");
    auto* notifier = new QSocketNotifier(channel_, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this, notifier] {
        char buffer[64];
        const qint64 n = ReadChannel(channel_, buffer, sizeof buffer);
        if (n <= 0) {
            notifier->setEnabled(false);
            return Fail("the new instance ended");
        }
        received_.append(buffer, n);
        if (received_.contains("ready\n")) {
            notifier->setEnabled(false);
            Finish();
        }
    });
    QTimer::singleShot(kHandoverTimeoutMs, this, [this] {
        if (!finished_)
            Fail("the new instance was not ready in time");
    });
}

void Handover::Finish()
{
    finished_ = true;
    // The new instance is asking for the keyboard without pause; it gets
    // the grab the moment this one lets go.
    const qint64 released = NowNs();
    std::int32_t previous = 0;
    SystemUser32().SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, API_FALSE, &previous, 0);
    SendAll(channel_, "released " + QByteArray::number(released) + "\n");
    if (namingRead_ >= 0) {
        // No destructor runs past the exec: this run's site data goes now.
        RemoveSiteDataFolder();
        BecomeRenewalWaiter(namingRead_, successor_);
        return Fail("cannot become the waiter");
    }
    NameSuccessor(successor_);
    EndProgram(0);
}

void Handover::Fail(const char* why)
{
    finished_ = true;
    std::fprintf(stderr, "quillory: renewal failed (%s); ending\n", why);
    EndProcess(successor_);
    EndProgram(1);
}

}  // namespace quillory::renewal
