#include "presentation/Renewal.h"

#include "exit/frmPassword.h"
#include "platform/HandoverChannel.h"
#include "platform/Processes.h"
#include "platform/ProgramEnd.h"
#include "platform/RenewalWaiter.h"
#include "platform/TreeMemory.h"
#include "platform/User32Provider.h"
#include "platform/WindowHandover.h"
#include "platform/browser/SiteDataFolders.h"
#include "presentation/frmBrowser.h"
#include "startup/modInitialise.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QElapsedTimer>
#include <QIODevice>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <functional>
#include <optional>

namespace quillory::renewal {

using modInitialise::PresentationSettings;

namespace {

// About one renewal every two to three weeks at a busy kiosk: see bench/README.md.
constexpr qint64 kDefaultBoundMiB = 256;

}  // namespace

qint64 BoundKiB()
{
    bool valid = false;
    const int mib = qEnvironmentVariable("QUILLORY_RENEWAL_MIB").toInt(&valid);
    return (valid && mib >= 0 ? mib : kDefaultBoundMiB) * 1024;
}

namespace {

// Once loaded, the homepage has this long to be drawn before its picture is
// taken, and the new instance's homepage as long before it is raised over the
// picture.
constexpr int kSettleMs = 1000;
// A homepage that has not come back by then is waited for at a later reset.
constexpr int kHomepageWaitMs = 30000;
// The engine writes its disk cache out shortly after its profile is released.
constexpr int kCacheWriteMs = 500;
// A page still of one colour then is taken as drawn all the same.
constexpr int kDrawnWaitMs = 5000;
// A new instance not ready by then has failed.
constexpr int kHandoverTimeoutMs = 60000;
constexpr int kKeyboardSpinMs = 5000;
constexpr int kSettingsWaitMs = 10000;
// The size the growth is counted from is taken at the first idle reset at
// least this long after the start (with the shortest delay, the first reset).
constexpr qint64 kSettledAfterMs = 10000;

const QElapsedTimer sinceStart = [] {
    QElapsedTimer timer;
    timer.start();
    return timer;
}();

qint64 NowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Reads exactly size bytes, waiting at most timeoutMs for each part.
std::optional<QByteArray> ReadExactly(int fd, qint64 size, int timeoutMs)
{
    QByteArray data;
    while (data.size() < size) {
        if (!WaitForChannel(fd, timeoutMs))
            return std::nullopt;
        char buffer[4096];
        const qint64 n = ReadChannel(fd, buffer, std::min<qint64>(size - data.size(), sizeof buffer));
        if (n <= 0)
            return std::nullopt;
        data.append(buffer, n);
    }
    return data;
}

// One line, without its end; nothing when none came in time.
std::optional<QByteArray> ReadLine(int fd, int timeoutMs)
{
    QByteArray line;
    for (;;) {
        const std::optional<QByteArray> byte = ReadExactly(fd, 1, timeoutMs);
        if (!byte)
            return std::nullopt;
        if (byte->at(0) == '\n')
            return line;
        line += *byte;
    }
}

QByteArray SettingsMessage()
{
    QByteArray body;
    QDataStream out(&body, QIODevice::WriteOnly);
    out << PresentationSettings.HomepageURL << PresentationSettings.MinDelay
        << qint32(PresentationSettings.AllowNewWindows) << qint32(PresentationSettings.WorkOffline)
        << qint32(PresentationSettings.CloseOpenWindows) << PresentationSettings.Password;
    QByteArray message;
    QDataStream out2(&message, QIODevice::WriteOnly);
    out2 << body;
    return message;
}

bool ReadSettings(int fd)
{
    const std::optional<QByteArray> length = ReadExactly(fd, 4, kSettingsWaitMs);
    if (!length)
        return false;
    quint32 size = 0;
    QDataStream(*length) >> size;
    const std::optional<QByteArray> body = ReadExactly(fd, size, kSettingsWaitMs);
    if (!body)
        return false;
    QDataStream in(*body);
    qint32 allowNewWindows = 0, workOffline = 0, closeOpenWindows = 0;
    in >> PresentationSettings.HomepageURL >> PresentationSettings.MinDelay >> allowNewWindows >> workOffline >>
        closeOpenWindows >> PresentationSettings.Password;
    PresentationSettings.AllowNewWindows = static_cast<Boolean>(allowNewWindows);
    PresentationSettings.WorkOffline = static_cast<Boolean>(workOffline);
    PresentationSettings.CloseOpenWindows = static_cast<Boolean>(closeOpenWindows);
    return in.status() == QDataStream::Ok;
}

// A still picture of the window, drawn the same while the window is disabled.
class StillPicture final : public QWidget {
public:
    StillPicture(const QPixmap& picture, QWidget* parent) : QWidget(parent), picture_(picture) {}

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).drawPixmap(0, 0, picture_); }

private:
    QPixmap picture_;
};

// Whether the browser control draws in one colour only, as it does with the
// new empty page until the homepage is drawn over it.
bool BrowserShowsOneColour(FrmBrowser& form)
{
    const QImage shown = form.BrowserPicture();
    if (shown.isNull())
        return false;
    const QRgb first = shown.pixel(0, 0);
    for (int y = 0; y < shown.height(); y += 8) {
        for (int x = 0; x < shown.width(); x += 8) {
            if (shown.pixel(x, y) != first)
                return false;
        }
    }
    return true;
}

// Calls then() once the homepage, loaded, has had time to be drawn: on a
// busy machine it was seen still blank a second after its load.
void WhenDrawn(FrmBrowser& form, const std::function<void()>& then, int waitedMs = 0)
{
    QTimer::singleShot(waitedMs == 0 ? kSettleMs : 100, &form, [&form, then, waitedMs] {
        if (waitedMs < kDrawnWaitMs && BrowserShowsOneColour(form))
            return WhenDrawn(form, then, waitedMs + 100);
        then();
    });
}

// The old instance's side of the handover.
class Handover final : public QObject {
public:
    explicit Handover(FrmBrowser& form) : QObject(&form), form_(form)
    {
        // Ended before the handover is done (a stop request): the new instance goes too.
        connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
            if (!finished_ && successor_ > 0)
                AskProcessToEnd(successor_);
        });
    }

    void Start()
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

private:
    void StartSuccessor()
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

    void Finish()
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

    // Without a working successor the kiosk cannot go on here: ending with a
    // failure lets the boot session start it again.
    void Fail(const char* why)
    {
        finished_ = true;
        std::fprintf(stderr, "quillory: renewal failed (%s); ending\n", why);
        EndProcess(successor_);
        EndProgram(1);
    }

    FrmBrowser& form_;
    int channel_ = -1;
    int namingRead_ = -1;
    qint64 successor_ = 0;
    QByteArray received_;
    bool finished_ = false;
};

// The new instance's side, once its homepage has shown.
void Arrive(int channel)
{
    FrmBrowser& form = frmBrowser();
    SystemUser32().SetForegroundWindow(static_cast<WindowHandle>(form.winId()));
    form.tmrTimeout->start();
    SendAll(channel, "ready\n");
    if (!PresentationSettings.Password.isEmpty()) {
        const bool held = SpinForKeyboard(kKeyboardSpinMs);
        const qint64 grabbed = NowNs();
        const std::optional<QByteArray> line = ReadLine(channel, 1000);
        const QList<QByteArray> words = line.value_or(QByteArray()).split(' ');
        if (held && words.size() > 1)
            std::fprintf(stderr, "quillory: renewed; the keyboard passed over in %.3f ms\n",
                         (grabbed - words.at(1).toLongLong()) / 1e6);
        else
            std::fprintf(stderr, "quillory: renewed; the keyboard %s\n", held ? "passed over" : "was not free yet");
    } else {
        std::fprintf(stderr, "quillory: renewed\n");
    }
    CloseChannel(channel);
}

}  // namespace

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
        WhenDrawn(form, [&form] { (new Handover(form))->Start(); });
    });
    QTimer::singleShot(kHomepageWaitMs, once, [once, &form] {
        once->deleteLater();
        due = false;
        form.tmrTimeout->start();
    });
}

bool TakeOver()
{
    const QByteArray variable = qgetenv(kChannelVariable);
    if (variable.isEmpty())
        return false;
    qunsetenv(kChannelVariable);
    const int channel = variable.toInt();
    KeepChannelFromChildren(channel);
    if (!ReadSettings(channel)) {
        std::fprintf(stderr, "quillory: no settings from the instance before\n");
        EndProgram(1);
        return true;
    }
    FrmBrowser& form = frmBrowser();
    LowerWindow(form.winId());
    form.Show();
    // No reset replaces the homepage before it is raised over the picture.
    form.tmrTimeout->stop();
    auto* once = new QObject(&form);
    QObject::connect(&form, &FrmBrowser::DocumentComplete, once, [once, &form, channel] {
        once->deleteLater();
        WhenDrawn(form, [channel] { Arrive(channel); });
    });
    return true;
}

}  // namespace quillory::renewal
