// Benchmarks of the idle reset, run in-process on the presentation window,
// on the engine QUILLORY_ENGINE picks (latency and soak on either; killed
// and soak locked reach into Qt WebEngine's page; engine is Qt WebEngine bare):
//   soak latency [N]          N resets from another page back to the homepage,
//                             timed from the threshold tick to the form's
//                             NavigateComplete and DocumentComplete (default 50)
//   soak soak [N] [tickMs] [interrupt|locked]
//                             N resets at a short tick, counting renderer
//                             terminations and the memory of the process tree,
//                             and what ended browsers left behind
//                             (default 500 resets, 30 ms). Each reset waits
//                             for the homepage's load to finish, unless
//                             "interrupt": then every tick resets, loaded or not.
//                             "locked": with an exit password, the real window
//                             functions, new windows allowed and closed at the
//                             reset; every 50 resets a popup and the exit
//                             prompt open first, and whether the keys stay
//                             locked is checked from another X client
//   soak stall [N]            N returns home from another page, with a 10 ms
//                             heartbeat timer: its largest gap, from each
//                             tick until the homepage has loaded, is the
//                             longest the program stood still (default 200)
//   soak killed [N]           N times: kill the renderer, tick the reset, wait
//                             for the homepage (default 100)
//   soak engine [N]           the same steps as latency on a bare view of the
//                             engine, without the program: the engine's share
//   soak renewal [N] [tickMs] [boundMiB] PROGRAM
//                             the real program, locked, resetting at a short
//                             tick and renewing itself past a low bound, until
//                             N homepage loads (default 10,000, 30 ms, 8 MiB):
//                             renewals, the tree's memory, the longest time
//                             without the homepage on the screen, and another
//                             X client asking for the keyboard every 1 ms
// Pages come from bench/pages through tests/http_server.py on 127.0.0.1.
// Prints figures only; it is not a test.

#include "../tests/RecordingUser32.h"
#include "FrameStream.h"
#include "exit/frmPassword.h"
#include "platform/DialogFont.h"
#include "platform/User32Provider.h"
#include "platform/browser/BrowserEngine.h"
#include "platform/browser/BrowserProfile.h"
#include "platform/browser/EngineEnvironment.h"
#include "platform/browser/QtWebEngineEntry.h"
#include "platform/browser/SiteDataFolders.h"
#include "platform/browser/chromium/ChromiumBrowser.h"
#include "presentation/frmBrowser.h"
#include "startup/modInitialise.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <initializer_list>
#include <malloc.h>
#include <map>
#include <memory>
#include <numeric>
#include <thread>
#include <unistd.h>
#include <vector>
#include <xcb/xcb.h>

using namespace quillory;
using namespace quillory::modInitialise;

namespace {

// --- the process tree's memory --------------------------------------------

// The parent of every process now running.
std::map<int, int> ParentsOfAll()
{
    std::map<int, int> parents;
    for (const QString& name : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool isPid = false;
        const int pid = name.toInt(&isPid);
        if (!isPid)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        // The name in parentheses may hold spaces; the fields after it do not.
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1)
            parents[pid] = fields[1].toInt();
    }
    return parents;
}

// Each process of the tree as last measured: its type and its PSS in KiB;
// and the tree's anonymous and shared-memory PSS, the part that is the
// processes' own data (the rest, mapped files, the kernel may drop and read
// again at any time, which makes it wander).
QString treeBreakdown;
long treeAnonKiB = 0;

// The local server runs as a child of this process but is not part of the browser.
qint64 serverPid = 0;

// The sum of the named fields of a process's /proc/<pid>/smaps_rollup, in KiB.
long RollupKiB(int pid, std::initializer_list<const char*> fields)
{
    QFile rollup(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
    if (!rollup.open(QIODevice::ReadOnly))
        return 0;
    long total = 0;
    for (const QByteArray& line : rollup.readAll().split('\n')) {
        for (const char* field : fields) {
            if (line.startsWith(QByteArray(field) + ':'))
                total += line.mid(qstrlen(field) + 1).trimmed().split(' ').first().toLong();
        }
    }
    return total;
}

// A field of this process's /proc/self/status, in KiB.
long SelfStatusKiB(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(QByteArray(field) + ':'))
            return line.mid(qstrlen(field) + 1).trimmed().split(' ').first().toLong();
    }
    return 0;
}

// The engine's name for a process of its own (--type=): "browser" for
// Chromium's main process, "program" for this one.
QString ProcessType(int pid)
{
    if (pid == QCoreApplication::applicationPid())
        return QStringLiteral("program");
    QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
    cmdline.open(QIODevice::ReadOnly);
    // Chromium rewrites its helpers' command lines into one string.
    const QList<QByteArray> words = cmdline.readAll().replace('\0', ' ').split(' ');
    for (const QByteArray& word : words) {
        if (word.startsWith("--type="))
            return QString::fromLatin1(word.mid(7));
    }
    if (words.first().endsWith("chrome_crashpad_handler"))
        return QStringLiteral("crash-handler");
    return QStringLiteral("browser");
}

// A process and all its descendants, but for the one given.
std::vector<int> Descendants(int root, qint64 except = 0)
{
    const std::map<int, int> parents = ParentsOfAll();
    std::vector<int> tree{root};
    for (std::size_t i = 0; i < tree.size(); ++i) {
        for (const auto& [pid, parent] : parents) {
            if (parent == tree[i] && pid != except)
                tree.push_back(pid);
        }
    }
    return tree;
}

// The processes anywhere on the machine whose temporary folder lies in the
// run's site-data folder, as the Chromium control starts its browsers: its
// browsers, and their crash handlers, which leave this process's tree (they
// fork twice and make sessions of their own).
std::vector<int> ProcessesOfRunFolder()
{
    const QByteArray marker = "TMPDIR=" + QFile::encodeName(SiteDataFolderOfRun()) + '/';
    std::vector<int> found;
    for (const auto& [pid, parent] : ParentsOfAll()) {
        QFile environment(QStringLiteral("/proc/%1/environ").arg(pid));
        if (!environment.open(QIODevice::ReadOnly))
            continue;
        const QList<QByteArray> variables = environment.readAll().split('\0');
        if (std::any_of(variables.begin(), variables.end(), [&](const QByteArray& v) { return v.startsWith(marker); }))
            found.push_back(pid);
    }
    return found;
}

// This process and all its descendants (the engine's processes, Chromium's
// too), but for the local server, and the processes of the run that left the tree.
std::vector<int> ProcessesOfRun()
{
    std::vector<int> pids = Descendants(static_cast<int>(QCoreApplication::applicationPid()), serverPid);
    for (int pid : ProcessesOfRunFolder()) {
        if (std::find(pids.begin(), pids.end(), pid) == pids.end())
            pids.push_back(pid);
    }
    return pids;
}

// PSS in KiB of the processes of the run.
long TreePssKiB()
{
    long total = 0;
    treeBreakdown.clear();
    treeAnonKiB = 0;
    for (int pid : ProcessesOfRun()) {
        const long pss = RollupKiB(pid, {"Pss"});
        total += pss;
        treeAnonKiB += RollupKiB(pid, {"Pss_Anon", "Pss_Shmem"});
        treeBreakdown += QStringLiteral(" %1 %2").arg(ProcessType(pid)).arg(pss);
    }
    return total;
}

// What the browsers ended at the resets may have left: Chromium's processes
// of the run anywhere on the machine (one that outlived its reset would count,
// even taken out of this process's tree), its browsers and crash handlers
// among them, those outside the tree, and the folders in the run's site-data
// folder. One browser's worth, and two folders (the visit's and the next
// visitor's, made beforehand), is what should be there.
void PrintLeftovers(const char* indent)
{
    const std::vector<int> tree = Descendants(static_cast<int>(QCoreApplication::applicationPid()));
    const std::vector<int> ofRun = ProcessesOfRunFolder();
    int browsers = 0, handlers = 0, outside = 0;
    for (int pid : ofRun) {
        const QString type = ProcessType(pid);
        browsers += type == QLatin1String("browser");
        handlers += type == QLatin1String("crash-handler");
        outside += std::find(tree.begin(), tree.end(), pid) == tree.end();
    }
    const QStringList folders = QDir(SiteDataFolderOfRun()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::printf("%sChromium's processes of the run: %zu in all, %d browsers, %d crash handlers, %d outside the tree; "
                "site-data folders: %lld (%s)\n",
                indent, ofRun.size(), browsers, handlers, outside, static_cast<long long>(folders.size()),
                qPrintable(folders.join(QLatin1Char(' '))));
}

// Whether some client holds the keyboard: another client's grab fails then.
bool KeyboardHeldByAnotherClient()
{
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return false;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_grab_keyboard_reply_t* reply = xcb_grab_keyboard_reply(
        c, xcb_grab_keyboard(c, 0, root, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC), nullptr);
    const bool held = reply && reply->status == XCB_GRAB_STATUS_ALREADY_GRABBED;
    free(reply);
    xcb_ungrab_keyboard(c, XCB_CURRENT_TIME);
    xcb_disconnect(c);
    return held;
}

// --- waiting ------------------------------------------------------------------

// Runs the event loop until the condition holds or the time is up. A real
// event loop: the engine's work on this thread must not wait for a poll.
template <typename Condition>
bool WaitFor(Condition condition, int timeoutMs)
{
    if (condition())
        return true;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (condition())
            loop.quit();
    });
    poll.start(2);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return condition();
}

void Wait(int ms)
{
    WaitFor([] { return false; }, ms);
}

// --- figures ----------------------------------------------------------------

double Percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t rank = static_cast<std::size_t>(std::max(1.0, std::ceil(fraction * values.size())));
    return values[rank - 1];
}

void PrintTimes(const char* what, const std::vector<double>& ms)
{
    std::printf("  %-28s median %7.1f ms   p95 %7.1f ms   min %7.1f   max %7.1f   (n=%zu)\n", what, Percentile(ms, 0.5),
                Percentile(ms, 0.95), ms.empty() ? 0 : *std::min_element(ms.begin(), ms.end()),
                ms.empty() ? 0 : *std::max_element(ms.begin(), ms.end()), ms.size());
    std::fflush(stdout);
}

// --- the local server -----------------------------------------------------

class BenchServer {
public:
    bool Start()
    {
        process_.setProgram(QStringLiteral("python3"));
        process_.setArguments({QStringLiteral(QUILLORY_SOURCE_DIR "/tests/http_server.py"), QStringLiteral("--root"),
                               QStringLiteral(QUILLORY_SOURCE_DIR "/bench/pages"), QStringLiteral("--lifetime"),
                               QStringLiteral("86400")});
        process_.setProcessChannelMode(QProcess::SeparateChannels);
        process_.start();
        if (!process_.waitForStarted(5000))
            return false;
        // Python alone may take seconds to start on a busy machine.
        while (process_.waitForReadyRead(30000)) {
            const QString line = QString::fromUtf8(process_.readLine()).trimmed();
            if (line.startsWith(QLatin1String("PORT "))) {
                port_ = line.mid(5).toInt();
                serverPid = process_.processId();
                // Its request lines are dropped, or shown with BENCH_VERBOSE=1 in the environment.
                QObject::connect(&process_, &QProcess::readyReadStandardOutput, [this] {
                    const QByteArray lines = process_.readAll();
                    loads += lines.count("GET /loaded");
                    if (qEnvironmentVariableIntValue("BENCH_VERBOSE"))
                        std::fprintf(stderr, "%lld ms server: %s",
                                     static_cast<long long>(QDateTime::currentMSecsSinceEpoch() % 100000),
                                     lines.constData());
                });
                return true;
            }
        }
        return false;
    }
    ~BenchServer()
    {
        process_.terminate();
        if (!process_.waitForFinished(3000))
            process_.kill();
    }
    QString Url(const QString& path) const { return QStringLiteral("http://127.0.0.1:%1/%2").arg(port_).arg(path); }

    // The homepage's load events reported so far (home.html's beacon).
    long loads = 0;

private:
    QProcess process_;
    int port_ = 0;
};

// The homepage: home.html, or another page of bench/pages named by BENCH_HOME.
QString HomePage()
{
    return qEnvironmentVariable("BENCH_HOME", QStringLiteral("home.html"));
}

// --- the presentation under watch -------------------------------------------

// A delay whose threshold no tick count reaches: no reset.
constexpr float kNoReset = 1e9f;

// The presentation window, with the moments of its homepage's events, as the
// form reports them whichever engine draws the page.
class Watched {
public:
    // With realUser32 the keys are really locked; otherwise the calls are only recorded.
    Watched(const QString& home, int tickMs, bool realUser32 = false) : home_(home), form_(tickMs)
    {
        ReplaceSystemUser32(realUser32 ? nullptr : &recording_);
        clock_.start();
        QObject::connect(&form_, &FrmBrowser::NavigateComplete, [this](const QString& url) {
            Log("NavigateComplete2", url);
            if (url == home_) {
                ++homeCompletes;
                homeCompleteAt = clock_.nsecsElapsed();
            }
        });
        QObject::connect(&form_, &FrmBrowser::DocumentComplete, [this](const QString& url) {
            Log("DocumentComplete", url);
            if (url == home_ && waitForLoad && !paused) {
                // Loaded: the idle time starts now, and the next tick resets.
                PresentationSettings.MinDelay = 10;
                form_.TickCount = 0;
            }
            if (url == home_) {
                ++homeLoads;
                homeLoadAt = clock_.nsecsElapsed();
            } else if (!url.isEmpty()) {  // Chromium's empty start page reports none
                otherLoadAt = clock_.nsecsElapsed();
            }
        });
        AttachToPage();
        // Runs after the form's own tick handler: a tick that reset leaves the count at 0.
        QObject::connect(form_.tmrTimeout, &QTimer::timeout, [this] {
            AttachToPage();
            if (form_.TickCount != 0)
                return;
            ++resets;
            if (waitForLoad)
                PresentationSettings.MinDelay = kNoReset;  // until this reset's load finishes
        });
    }

    qint64 Now() const { return clock_.nsecsElapsed(); }
    static double Ms(qint64 from, qint64 to) { return (to - from) / 1e6; }
    FrmBrowser& Form() { return form_; }
    RecordingUser32& Desktop() { return recording_; }
    // The Qt WebEngine control's page; null on Chromium.
    QWebEnginePage* Page() const { return page_; }

    // The tick that reaches the threshold, as the timer would give it.
    qint64 TickAtThreshold()
    {
        form_.TickCount = 0;  // MinDelay 10 s: the threshold is one tick
        const qint64 at = Now();
        Log("tick");
        form_.tmrTimeout_Timer();
        AttachToPage();
        return at;
    }

    // Waits until the homepage has completed its navigation and loaded after the given moment.
    bool WaitForHome(qint64 since, int timeoutMs)
    {
        return WaitFor([&] { return homeCompleteAt > since && homeLoadAt > since; }, timeoutMs);
    }

    bool waitForLoad = false;  // a reset only once the last one's load finished
    bool paused = false;       // no resets at all
    long long homeCompletes = 0, homeLoads = 0, terminations = 0, resets = 0;
    qint64 homeCompleteAt = -1, homeLoadAt = -1, otherLoadAt = -1;

private:
    // With BENCH_VERBOSE=1 in the environment, every event on stderr.
    static void Log(const char* what, const QString& url = {})
    {
        if (qEnvironmentVariableIntValue("BENCH_VERBOSE"))
            std::fprintf(stderr, "%lld ms %s %s\n",
                         static_cast<long long>(QDateTime::currentMSecsSinceEpoch() % 100000), what, qPrintable(url));
    }

    // On Qt WebEngine the reset gives the control a new page for each
    // visitor: follow it, for its renderer's end and for the modes that
    // reach into the page.
    void AttachToPage()
    {
        const auto* view = form_.findChild<QWebEngineView*>();
        if (!view || view->page() == page_)
            return;
        page_ = view->page();
        QObject::connect(page_, &QWebEnginePage::loadStarted, page_, [] { Log("loadStarted"); });
        QObject::connect(page_, &QWebEnginePage::renderProcessTerminated, page_,
                         [this](QWebEnginePage::RenderProcessTerminationStatus, int) {
                             ++terminations;
                             Log("renderProcessTerminated");
                         });
    }

    RecordingUser32 recording_;
    QString home_;
    FrmBrowser form_;
    QWebEnginePage* page_ = nullptr;
    QElapsedTimer clock_;
};

// --- the modes --------------------------------------------------------------

int ResetLatency(const BenchServer& server, int rounds)
{
    const QString home = server.Url(HomePage());
    const QString other = server.Url(QStringLiteral("other.html"));
    Watched w(home, 3600 * 1000);  // no tick but the benchmark's own
    w.Form().Show();
    if (!w.WaitForHome(-1, 30000)) {
        std::printf("the homepage never loaded\n");
        return 1;
    }
    std::vector<double> toComplete, toLoad;
    int failures = 0;
    for (int i = 0; i < rounds; ++i) {
        // A visitor went elsewhere; then the idle time runs out.
        const qint64 before = w.Now();
        w.Form().Navigate(other);
        if (!WaitFor([&] { return w.otherLoadAt > before; }, 15000)) {
            ++failures;
            continue;
        }
        Wait(1500);  // the program idles 10 s at least; the next visitor's page is ready long before
        const qint64 tick = w.TickAtThreshold();
        if (!w.WaitForHome(tick, 15000)) {
            ++failures;
            continue;
        }
        toComplete.push_back(Watched::Ms(tick, w.homeCompleteAt));
        toLoad.push_back(Watched::Ms(tick, w.homeLoadAt));
    }
    std::printf("reset latency on %s, %d resets from another page to the homepage (frames, images; from the HTTP "
                "cache)\n",
                qPrintable(PresentationEngine()), rounds);
    PrintTimes("tick -> NavigateComplete2", toComplete);
    PrintTimes("tick -> DocumentComplete", toLoad);
    std::printf("  failures: %d\n", failures);
    return failures == 0 ? 0 : 1;
}

// The GUI thread's longest stand-still at a return home: a heartbeat timer
// due every 10 ms, whose largest gap between two beats is the stall.
int ReturnHomeStall(const BenchServer& server, int rounds)
{
    const QString home = server.Url(HomePage());
    const QString other = server.Url(QStringLiteral("other.html"));
    Watched w(home, 3600 * 1000);
    w.Form().Show();
    if (!w.WaitForHome(-1, 120000)) {
        std::printf("the homepage never loaded\n");
        return 1;
    }
    QTimer heartbeat;
    heartbeat.setTimerType(Qt::PreciseTimer);
    qint64 lastBeat = w.Now(), longestGap = 0;
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        const qint64 now = w.Now();
        longestGap = std::max(longestGap, now - lastBeat);
        lastBeat = now;
    });
    heartbeat.start(10);
    std::vector<double> stalls;
    int failures = 0;
    for (int i = 0; i < rounds; ++i) {
        const qint64 before = w.Now();
        w.Form().Navigate(other);
        if (!WaitFor([&] { return w.otherLoadAt > before; }, 15000)) {
            ++failures;
            continue;
        }
        Wait(300);
        // On Chromium the last visitor's browser ends after the tick: its end
        // and what follows it (the reaping, its folders) belong to the return home.
        const auto* chromium = qobject_cast<const ChromiumBrowser*>(w.Form().webBrowser);
        const qint64 visitors = chromium ? chromium->BrowserProcessId() : -1;
        lastBeat = w.Now();
        longestGap = 0;
        const qint64 tick = w.TickAtThreshold();
        if (!w.WaitForHome(tick, 15000) ||
            !WaitFor([&] { return visitors <= 0 || !QFile::exists(QStringLiteral("/proc/%1").arg(visitors)); }, 15000))
            ++failures;
        stalls.push_back(std::max(longestGap, w.Now() - lastBeat) / 1e6);
    }
    std::printf("GUI thread stall on %s, %d returns home (largest gap of a 10 ms heartbeat, tick to homepage loaded "
                "and the last browser reaped)\n",
                qPrintable(PresentationEngine()), rounds);
    PrintTimes("longest gap per return home", stalls);
    std::printf("  failures: %d\n", failures);
    return failures == 0 ? 0 : 1;
}

// What the screen shows from the tick of a return home until the live
// homepage: a stream of screenshots sorted as the homepage, the visitor's
// page or neither. The homepage's still picture, where the form shows one,
// is the widget named homepagePicture; the live page shows once it hides.
int ReturnHomeFrames(const BenchServer& server, int rounds, bool fromHome)
{
    const QString home = server.Url(HomePage());
    const QString other = server.Url(QStringLiteral("other.html"));
    bench::FrameStream stream;
    if (!stream.Connected()) {
        std::printf("no X server\n");
        return 2;
    }
    Watched w(home, 3600 * 1000);    // no tick but the benchmark's own
    w.Desktop().tickCount = 100000;  // nobody used the kiosk for 100 s
    w.Form().Show();
    if (!w.WaitForHome(-1, 30000)) {
        std::printf("the homepage never loaded\n");
        return 1;
    }
    auto pictureShown = [&w] {
        const auto* picture = w.Form().findChild<QWidget*>(QStringLiteral("homepagePicture"));
        return picture && picture->isVisible();
    };
    Wait(2000);
    WaitFor([&] { return !pictureShown(); }, 15000);
    const QImage homeShown = stream.GrabNow();
    qint64 before = w.Now();
    w.Form().Navigate(other);
    WaitFor([&] { return w.otherLoadAt > before; }, 15000);
    Wait(1500);
    stream.SetReferences({homeShown, stream.GrabNow()});

    std::vector<double> toHome, toLive, framesPerSecond;
    std::vector<double> neither;
    int failures = 0;
    for (int i = 0; i < rounds; ++i) {
        if (!fromHome) {
            before = w.Now();
            w.Form().Navigate(other);
            if (!WaitFor([&] { return w.otherLoadAt > before; }, 15000)) {
                ++failures;
                continue;
            }
        }
        Wait(1500);
        stream.Start();
        Wait(200);
        const qint64 tickNs = bench::FrameStream::NowNs();
        const qint64 tick = w.TickAtThreshold();
        const bool home = w.WaitForHome(tick, 15000) && WaitFor([&] { return !pictureShown(); }, 15000);
        const qint64 pictureGoneNs = bench::FrameStream::NowNs();
        Wait(1000);
        const std::vector<bench::FrameStream::Frame> frames = stream.Stop();
        // BENCH_SHOTS=folder: the first frames of each round that showed neither, as PNG files.
        if (const QString shots = qEnvironmentVariable("BENCH_SHOTS"); !shots.isEmpty()) {
            for (const auto& [at, image] : stream.Strays())
                image.save(QStringLiteral("%1/round%2-%3ms.png").arg(shots).arg(i).arg((at - tickNs) / 1000000));
        }
        if (!home) {
            ++failures;
            continue;
        }
        qint64 firstHome = -1, lastNotHome = -1;
        int blank = 0, seen = 0;
        for (const bench::FrameStream::Frame& frame : frames) {
            if (frame.at < tickNs)
                continue;
            ++seen;
            if (frame.shows == 0 && firstHome < 0)
                firstHome = frame.at;
            if (frame.shows != 0)
                lastNotHome = frame.at;
            blank += frame.shows == bench::FrameStream::kNeither;
        }
        if (firstHome < 0 || lastNotHome > firstHome) {
            // The homepage came and went, or never came.
            std::printf("  round %d: homepage first at %.1f ms, last other frame at %.1f ms\n", i,
                        (firstHome - tickNs) / 1e6, (lastNotHome - tickNs) / 1e6);
        }
        toHome.push_back(firstHome < 0 ? -1 : (firstHome - tickNs) / 1e6);
        toLive.push_back((std::max(pictureGoneNs, firstHome) - tickNs) / 1e6);
        neither.push_back(blank);
        framesPerSecond.push_back(seen / ((frames.back().at - tickNs) / 1e9));
    }
    std::printf("return home on %s, %d rounds from %s; frames grabbed from the X server\n",
                qPrintable(PresentationEngine()), rounds, fromHome ? "the homepage" : "another page");
    PrintTimes("tick -> homepage on screen", toHome);
    PrintTimes("tick -> live homepage", toLive);
    auto printCounts = [](const char* what, std::vector<double> counts) {
        std::sort(counts.begin(), counts.end());
        std::printf("  %-28s median %7.1f   max %7.1f   total %7.0f   (n=%zu)\n", what, Percentile(counts, 0.5),
                    counts.empty() ? 0 : counts.back(), std::accumulate(counts.begin(), counts.end(), 0.0),
                    counts.size());
    };
    printCounts("frames showing neither", neither);
    printCounts("frames per second", framesPerSecond);
    std::printf("  failures: %d\n", failures);
    return failures == 0 ? 0 : 1;
}

// The latency steps on a plain view and page of the engine, with a disk cache
// as the program has: what the engine takes without any of the program's code.
int EngineAlone(const BenchServer& server, int rounds)
{
    const QString home = server.Url(HomePage());
    const QString other = server.Url(QStringLiteral("other.html"));
    QTemporaryDir storage;
    QWebEngineProfile profile(QStringLiteral("engine-alone"));
    profile.setPersistentStoragePath(storage.filePath(QStringLiteral("storage")));
    profile.setCachePath(storage.filePath(QStringLiteral("cache")));
    profile.setHttpCacheType(QWebEngineProfile::DiskHttpCache);
    auto* view = new QWebEngineView;
    auto* page = new QWebEnginePage(&profile, view);
    view->setPage(page);
    view->setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    view->setGeometry(QGuiApplication::primaryScreen()->geometry());
    view->show();
    QElapsedTimer clock;
    clock.start();
    qint64 loadAt = -1;
    QString loaded;
    QObject::connect(page, &QWebEnginePage::loadFinished, [&](bool ok) {
        if (ok) {
            loadAt = clock.nsecsElapsed();
            loaded = page->url().toString();
        }
    });
    auto load = [&](const QString& url) {
        const qint64 since = clock.nsecsElapsed();
        page->load(QUrl(url));
        return WaitFor([&] { return loadAt > since && loaded == url; }, 15000) ? Watched::Ms(since, loadAt) : -1.0;
    };
    load(home);
    std::vector<double> toLoad;
    // This process's heap in use, after the first tenth of the rounds and at the end.
    std::size_t heapEarly = 0;
    const int early = std::max(1, rounds / 10);
    for (int i = 0; i < rounds; ++i) {
        load(other);
        Wait(300);
        const double ms = load(home);
        if (ms >= 0)
            toLoad.push_back(ms);
        if (i + 1 == early)
            heapEarly = mallinfo2().uordblks;
    }
    const std::size_t heapLate = mallinfo2().uordblks;
    std::printf("engine alone, %d loads from another page to the homepage\n", rounds);
    PrintTimes("load() -> load finished", toLoad);
    std::printf("  heap in use after %d rounds %zu KiB, after %d rounds %zu KiB: %+.2f KiB a load\n", early,
                heapEarly / 1024, rounds, heapLate / 1024,
                (static_cast<double>(heapLate) - static_cast<double>(heapEarly)) / 1024.0 / (2.0 * (rounds - early)));
    delete view;  // the page before its profile
    return 0;
}

// Stops the resets, lets the homepage settle, and measures the tree.
long SettledPss(Watched& w, const QString& home)
{
    w.paused = true;
    PresentationSettings.MinDelay = kNoReset;
    const qint64 since = w.Now();
    w.Form().Navigate(home);
    w.WaitForHome(since, 30000);
    Wait(3000);
    const long pss = TreePssKiB();
    w.paused = false;
    PresentationSettings.MinDelay = 10;
    w.Form().TickCount = 0;
    return pss;
}

int Soak(const BenchServer& server, long long count, int tickMs, bool interrupt, bool locked)
{
    const QString home = server.Url(HomePage());
    if (locked) {
        PresentationSettings.Password = QStringLiteral("secret");
        PresentationSettings.AllowNewWindows = True;
        PresentationSettings.CloseOpenWindows = True;
    }
    Watched w(home, tickMs, locked);
    w.waitForLoad = !interrupt;
    w.Form().Show();
    if (!w.WaitForHome(-1, 30000)) {
        std::printf("the homepage never loaded\n");
        return 1;
    }
    const long startPss = SettledPss(w, home);
    std::printf("soak: %lld resets, tick %d ms, %s; tree PSS at start %ld KiB\n", count, tickMs,
                interrupt ? "every tick resets" : "each reset after the last load finished", startPss);
    std::fflush(stdout);
    QElapsedTimer elapsed;
    elapsed.start();
    long firstPss = 0, lastPss = 0, firstAnon = 0, lastAnon = 0;
    // This process alone (the program, and on Qt WebEngine the engine's browser side): heap in use and RSS.
    std::size_t firstHeap = 0, lastHeap = 0;
    long firstRss = 0, lastRss = 0;
    long long stalls = 0, lockLost = 0, popupsLeft = 0, promptsLeft = 0;
    long long nextMark = std::min<long long>(100, count);
    long long lastDetour = -1, popupsAsked = 0, promptsShown = 0;
    QObject::connect(&w.Form(), &FrmBrowser::NewWindowAsked, [&] { ++popupsAsked; });
    const auto popups = [] {
        int open = 0;
        for (QWidget* window : QApplication::topLevelWidgets())
            open += window->isVisible() && window->windowTitle().endsWith(QLatin1String("Microsoft Internet Explorer"));
        return open;
    };
    while (w.resets < count) {
        const long long loadsBefore = w.homeLoads, resetsBefore = w.resets;
        if (locked && w.resets % 50 == 1 && w.resets != lastDetour) {
            // A popup and the exit prompt, both left for the next reset to clear.
            lastDetour = w.resets;
            if (popups() || frmPassword().isVisible()) {
                popupsLeft += popups();
                promptsLeft += frmPassword().isVisible();
            }
            w.Page()->runJavaScript(QStringLiteral("window.open('other.html', '_blank')"));
            w.Form().Form_MouseMove(1, 0, 0, w.Form().Height() - 1);
            promptsShown += frmPassword().isVisible();
        }
        Wait(50);
        // Resets without a completed load for long: the presentation is stuck.
        if (w.resets == resetsBefore && w.homeLoads == loadsBefore &&
            !WaitFor([&] { return w.resets != resetsBefore || w.homeLoads != loadsBefore; }, 30000)) {
            ++stalls;
            std::printf("  stall: nothing happened for 30 s after %lld resets\n", w.resets);
            PresentationSettings.MinDelay = 10;
            w.Form().TickCount = 0;
            w.Form().tmrTimeout->start();
        }
        if (w.resets >= nextMark) {
            const long pss = SettledPss(w, home);
            const struct mallinfo2 heap = mallinfo2();
            if (firstPss == 0) {
                firstPss = pss;
                firstAnon = treeAnonKiB;
                firstHeap = heap.uordblks;
                firstRss = SelfStatusKiB("VmRSS");
            }
            lastPss = pss;
            lastAnon = treeAnonKiB;
            lastHeap = heap.uordblks;
            lastRss = SelfStatusKiB("VmRSS");
            std::printf("  %6lld resets  %6lld homepage loads  %lld renderer terminations  PSS %ld KiB (%+.1f %% "
                        "since 100), of it anonymous %ld KiB (%+.1f %%)  %.0f s\n",
                        w.resets, w.homeLoads, w.terminations, pss, 100.0 * (pss - firstPss) / firstPss, lastAnon,
                        100.0 * (lastAnon - firstAnon) / firstAnon, elapsed.elapsed() / 1000.0);
            std::printf("          this process: heap %zu KiB in use, %zu KiB free; RSS %ld KiB; anonymous PSS %ld "
                        "KiB\n",
                        heap.uordblks / 1024, heap.fordblks / 1024, lastRss,
                        RollupKiB(static_cast<int>(QCoreApplication::applicationPid()), {"Pss_Anon", "Pss_Shmem"}));
            std::printf("          processes:%s\n", qPrintable(treeBreakdown));
            PrintLeftovers("          ");
            if (locked) {
                const bool held = KeyboardHeldByAnotherClient();
                lockLost += !held;
                std::printf("          keys locked: %s\n", held ? "yes" : "NO");
            }
            std::fflush(stdout);
            nextMark = std::min(count, nextMark < 500 ? 500 : nextMark < 1000 ? 1000 : nextMark + 1000);
            if (nextMark <= w.resets)
                nextMark = count > w.resets ? w.resets + 1 : count;
        }
    }
    std::printf("soak result on %s: %lld resets in %.0f s, %lld completed homepage loads, %lld renderer "
                "terminations (Qt WebEngine), %lld stalls\n",
                qPrintable(PresentationEngine()), w.resets, elapsed.elapsed() / 1000.0, w.homeLoads, w.terminations,
                stalls);
    std::printf("  tree PSS after 100 resets %ld KiB, after %lld resets %ld KiB: growth %+.1f %%\n", firstPss, w.resets,
                lastPss, 100.0 * (lastPss - firstPss) / firstPss);
    std::printf("  anonymous PSS after 100 resets %ld KiB, after %lld resets %ld KiB: growth %+.1f %%\n", firstAnon,
                w.resets, lastAnon, 100.0 * (lastAnon - firstAnon) / firstAnon);
    std::printf("  this process's heap in use after 100 resets %zu KiB, at the end %zu KiB: %+.2f KiB a reset\n",
                firstHeap / 1024, lastHeap / 1024,
                (static_cast<double>(lastHeap) - static_cast<double>(firstHeap)) / 1024.0 /
                    static_cast<double>(std::max(1LL, w.resets - 100)));
    std::printf("  this process's RSS after 100 resets %ld KiB, at the end %ld KiB (%+.1f %%)\n", firstRss, lastRss,
                100.0 * (lastRss - firstRss) / std::max(1L, firstRss));
    // No more resets: a browser ended at the last one has had time to go.
    w.paused = true;
    PresentationSettings.MinDelay = kNoReset;
    Wait(3000);
    PrintLeftovers("  ");
    if (locked)
        std::printf("  %lld popups and %lld prompts opened; keys found unlocked %lld times; popups left open by a "
                    "reset %lld, prompts left shown %lld\n",
                    popupsAsked, promptsShown, lockLost, popupsLeft, promptsLeft);
    return w.terminations == 0 && stalls == 0 && lockLost == 0 && popupsLeft == 0 && promptsLeft == 0 ? 0 : 1;
}

int KilledRenderer(const BenchServer& server, int rounds)
{
    const QString home = server.Url(HomePage());
    Watched w(home, 3600 * 1000);
    w.Form().Show();
    if (!w.WaitForHome(-1, 30000)) {
        std::printf("the homepage never loaded\n");
        return 1;
    }
    std::vector<double> toComplete, toLoad, toNotice;
    int successes = 0, doubled = 0;
    for (int i = 0; i < rounds; ++i) {
        const qint64 pid = w.Page()->renderProcessPid();
        const long long completesBefore = w.homeCompletes;
        const long long terminated = w.terminations;
        const qint64 killedAt = w.Now();
        if (pid <= 0 || ::kill(static_cast<pid_t>(pid), SIGKILL) != 0 ||
            !WaitFor([&] { return w.terminations > terminated; }, 10000)) {
            std::printf("  round %d: the renderer could not be killed\n", i + 1);
            continue;
        }
        toNotice.push_back(Watched::Ms(killedAt, w.Now()));
        const qint64 tick = w.TickAtThreshold();
        const bool back = w.WaitForHome(tick, 15000) && w.Page()->renderProcessPid() > 0 &&
                          w.Page()->renderProcessPid() != pid;
        if (!back) {
            std::fprintf(stderr, "round %d failed\n", i + 1);
            std::printf("  round %d: the homepage did not come back (navigation completed: %s, loaded: %s, "
                        "renderer %lld, before %lld)\n",
                        i + 1, w.homeCompleteAt > tick ? "yes" : "no", w.homeLoadAt > tick ? "yes" : "no",
                        w.Page()->renderProcessPid(), pid);
            continue;
        }
        ++successes;
        Wait(200);  // a report that comes late would count twice
        if (w.homeCompletes - completesBefore > 1)
            ++doubled;
        toComplete.push_back(Watched::Ms(tick, w.homeCompleteAt));
        toLoad.push_back(Watched::Ms(tick, w.homeLoadAt));
    }
    std::printf("killed renderer: %d of %d times the homepage came back at the reset\n", successes, rounds);
    std::printf("  homepage completed twice: %d times\n", doubled);
    PrintTimes("kill -> termination seen", toNotice);
    PrintTimes("tick -> NavigateComplete2", toComplete);
    PrintTimes("tick -> load finished", toLoad);
    return successes == rounds ? 0 : 1;
}

// --- renewal: the real program renewing itself ------------------------------

// Pss_Anon + Pss_Shmem, and the whole PSS, in KiB, of a process and all its descendants.
std::pair<long, long> TreeOfKiB(int root)
{
    long anon = 0, whole = 0;
    for (int pid : Descendants(root)) {
        anon += RollupKiB(pid, {"Pss_Anon", "Pss_Shmem"});
        whole += RollupKiB(pid, {"Pss"});
    }
    return {anon, whole};
}

// Another X client that asks for the keyboard again and again on a thread of
// its own; each time it gets it, the kiosk's lock had lapsed.
class KeyboardProbe {
public:
    void Start()
    {
        thread_ = std::thread([this] {
            xcb_connection_t* c = xcb_connect(nullptr, nullptr);
            const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
            while (!stop_) {
                xcb_grab_keyboard_reply_t* reply = xcb_grab_keyboard_reply(
                    c, xcb_grab_keyboard(c, 0, root, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
                    nullptr);
                ++tries;
                if (reply && reply->status == XCB_GRAB_STATUS_SUCCESS) {
                    ++taken;
                    xcb_ungrab_keyboard(c, XCB_CURRENT_TIME);
                    xcb_flush(c);
                }
                free(reply);
                usleep(1000);
            }
            xcb_disconnect(c);
        });
    }
    void Stop()
    {
        stop_ = true;
        thread_.join();
    }
    std::atomic<long> tries{0}, taken{0};

private:
    std::thread thread_;
    std::atomic<bool> stop_{false};
};

int Renewal(BenchServer& server, long resets, int tickMs, int boundMiB, const QString& program)
{
    QProcess kiosk;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QUILLORY_TICK_MS"), QString::number(tickMs));
    environment.insert(QStringLiteral("QUILLORY_RENEWAL_MIB"), QString::number(boundMiB));
    kiosk.setProcessEnvironment(environment);
    long renewals = 0, failures = 0;
    double longestPass = 0;
    QElapsedTimer clock;
    qint64 renewingAt = -1;  // when the last renewal began, on the clock
    QObject::connect(&kiosk, &QProcess::readyReadStandardError, [&] {
        while (kiosk.canReadLine()) {
            const QString line = QString::fromLocal8Bit(kiosk.readLine()).trimmed();
            if (line.startsWith(QLatin1String("quillory: renewing")))
                renewingAt = clock.isValid() ? clock.elapsed() : -1;
            if (line.startsWith(QLatin1String("quillory: renewed"))) {
                ++renewals;
                const int at = line.indexOf(QLatin1String(" in "));
                if (at > 0)
                    longestPass = std::max(longestPass, line.mid(at + 4).split(QLatin1Char(' ')).first().toDouble());
            }
            if (line.contains(QLatin1String("renewal failed")))
                ++failures;
            if (qEnvironmentVariableIntValue("BENCH_VERBOSE") || line.contains(QLatin1String("renew")))
                std::printf("  %ld loads: %s\n", server.loads, qPrintable(line));
        }
    });
    kiosk.setReadChannel(QProcess::StandardError);
    kiosk.start(program, {server.Url(HomePage()) + QStringLiteral(",10,pass:soak")});
    if (!kiosk.waitForStarted(5000) || !WaitFor([&] { return server.loads > 0; }, 60000)) {
        std::printf("the program did not show its homepage\n");
        return 1;
    }
    Wait(3000);

    // The screen, every 10 ms: a point in the homepage's left margin, which
    // shows its background as soon as the page shows, whatever its images and
    // frames have loaded.
    QScreen* screen = QGuiApplication::primaryScreen();
    const QPoint corner(10, screen->geometry().height() / 2);
    const QRgb home = qRgb(0x24, 0x46, 0x6e);  // the background of pages/home.html
    clock.start();
    // A gap runs from the last look that saw the homepage to the next one,
    // counted only when a look in between saw something else: a look that
    // comes late because this process was busy is not a gap on the screen.
    qint64 lastHome = 0, lastLook = 0, longestAway = 0, longestBetweenLooks = 0;
    bool away = false;
    QRgb awayColour = 0;  // what the screen showed first in a gap
    std::vector<qint64> gaps, gapsAtRenewal;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        const QRgb now = screen->grabWindow(0, corner.x(), corner.y(), 1, 1).toImage().pixel(0, 0);
        const qint64 at = clock.elapsed();
        longestBetweenLooks = std::max(longestBetweenLooks, at - lastLook);
        lastLook = at;
        if (now != home) {
            if (!away)
                awayColour = now;
            away = true;
            return;
        }
        if (away) {
            const qint64 gap = at - lastHome;
            const bool atRenewal = renewingAt >= 0 && lastHome - renewingAt < 10000 && lastHome >= renewingAt;
            (atRenewal ? gapsAtRenewal : gaps).push_back(gap);
            longestAway = std::max(longestAway, gap);
            if (gap >= 500)
                std::printf("  %ld loads %5lld s: the homepage was away %lld ms%s (first #%06x)\n", server.loads,
                            at / 1000, gap, atRenewal ? ", in a renewal" : "", awayColour & 0xffffff);
        }
        away = false;
        lastHome = at;
    });
    look.start(10);
    KeyboardProbe probe;
    probe.Start();

    long settled = 0, peak = 0, settledWhole = 0, peakWhole = 0;
    std::printf("renewal: %ld resets, tick %d ms, bound %d MiB\n", resets, tickMs, boundMiB);
    auto measure = [&] {
        const auto [anon, whole] = TreeOfKiB(static_cast<int>(kiosk.processId()));
        if (!settled && server.loads >= 100) {
            settled = anon;
            settledWhole = whole;
        }
        peak = std::max(peak, anon);
        peakWhole = std::max(peakWhole, whole);
        std::printf("  %6ld loads %5lld s: tree %.1f MiB, anonymous %.1f MiB; %ld renewals\n", server.loads,
                    clock.elapsed() / 1000, whole / 1024.0, anon / 1024.0, renewals);
        return anon;
    };
    QTimer measuring;
    QObject::connect(&measuring, &QTimer::timeout, measure);
    measuring.start(10000);
    WaitFor([&] { return server.loads >= 100; }, 600000);
    measure();
    // SIGUSR1 ends the run early, with its figures so far.
    static std::atomic<bool> stopEarly{false};
    std::signal(SIGUSR1, [](int) { stopEarly = true; });
    const bool finished = WaitFor(
        [&] { return server.loads >= resets || kiosk.state() != QProcess::Running || stopEarly; }, 24 * 3600 * 1000);
    measuring.stop();
    look.stop();
    probe.Stop();
    const long final = measure();
    const auto [finalAnon, finalWhole] = TreeOfKiB(static_cast<int>(kiosk.processId()));
    Q_UNUSED(finalAnon);
    kiosk.terminate();
    kiosk.waitForFinished(30000);

    std::printf("homepage loads: %ld in %lld s; renewals: %ld (failed: %ld)\n", server.loads, clock.elapsed() / 1000,
                renewals, failures);
    std::printf("tree, anonymous: settled %.1f MiB, peak %.1f MiB (%+.1f %%), final %.1f MiB (%+.1f %%)\n",
                settled / 1024.0, peak / 1024.0, 100.0 * (peak - settled) / settled, final / 1024.0,
                100.0 * (final - settled) / settled);
    std::printf("tree, whole PSS: settled %.1f MiB, peak %.1f MiB, final %.1f MiB\n", settledWhole / 1024.0,
                peakWhole / 1024.0, finalWhole / 1024.0);
    std::printf("longest time without the homepage on screen: %lld ms (the longest between two looks: %lld ms)\n",
                longestAway, longestBetweenLooks);
    auto printGaps = [](const char* what, std::vector<qint64>& all) {
        std::sort(all.begin(), all.end());
        if (all.empty()) {
            std::printf("  %s: the homepage never went\n", what);
            return;
        }
        std::printf("  %s: %zu times away; median %lld ms, p95 %lld ms, max %lld ms\n", what, all.size(),
                    all[all.size() / 2], all[all.size() * 95 / 100], all.back());
    };
    printGaps("at ordinary resets", gaps);
    printGaps("in renewals (from the start of one to 10 s after)", gapsAtRenewal);
    std::printf("keyboard: another client asked %ld times and got it %ld times; longest pass-over reported %.3f ms\n",
                probe.tries.load(), probe.taken.load(), longestPass);
    std::printf("the program ended with status %d (%s)\n", kiosk.exitCode(),
                kiosk.exitStatus() == QProcess::NormalExit ? "normal" : "crash");
    return finished && failures == 0 && probe.taken == 0 && kiosk.exitCode() == 0 ? 0 : 1;
}

int Run(const QStringList& args)
{
    const QString mode = args.value(1);
    BenchServer server;
    if (!server.Start()) {
        std::printf("the local server did not start\n");
        return 2;
    }
    PresentationSettings = PresentationSettingsRecord{};
    PresentationSettings.HomepageURL = server.Url(HomePage());
    PresentationSettings.MinDelay = 10;
    if (mode == QLatin1String("latency"))
        return ResetLatency(server, args.value(2, QStringLiteral("50")).toInt());
    if (mode == QLatin1String("stall"))
        return ReturnHomeStall(server, args.value(2, QStringLiteral("200")).toInt());
    if (mode == QLatin1String("frames"))
        return ReturnHomeFrames(server, args.value(2, QStringLiteral("20")).toInt(),
                                args.value(3) == QLatin1String("home"));
    // These reach into the Qt WebEngine control's page (a script, its renderer).
    if ((mode == QLatin1String("killed") || args.value(4) == QLatin1String("locked")) &&
        PresentationEngine() != QLatin1String("qtwebengine")) {
        std::printf("soak %s needs QUILLORY_ENGINE=qtwebengine\n", qPrintable(mode));
        return 2;
    }
    if (mode == QLatin1String("soak"))
        return Soak(server, args.value(2, QStringLiteral("500")).toLongLong(),
                    args.value(3, QStringLiteral("30")).toInt(), args.value(4) == QLatin1String("interrupt"),
                    args.value(4) == QLatin1String("locked"));
    if (mode == QLatin1String("engine"))
        return EngineAlone(server, args.value(2, QStringLiteral("50")).toInt());
    if (mode == QLatin1String("renewal"))
        return Renewal(server, args.value(2, QStringLiteral("10000")).toLong(),
                       args.value(3, QStringLiteral("30")).toInt(), args.value(4, QStringLiteral("8")).toInt(),
                       args.value(5));
    if (mode == QLatin1String("killed"))
        return KilledRenderer(server, args.value(2, QStringLiteral("100")).toInt());
    std::printf(
        "usage: soak latency [N] | soak soak [N] [tickMs] [interrupt|locked] | soak killed [N] | soak engine [N]\n"
        "     | soak renewal [N] [tickMs] [boundMiB] PROGRAM | soak stall [N] | soak frames [N] [home]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // figures show as they come, also in a log file
    // Caches of its own, as the tests have, so that runs do not share a disk cache.
    QTemporaryDir home;
    qputenv("XDG_CACHE_HOME", home.filePath(QStringLiteral("cache")).toUtf8());
    PrepareEngineEnvironment();
    UseLinkedQtWebEngine(&QuilloryCreateQtWebEngineBrowser);
    int status = 0;
    {
        QApplication app(argc, argv);
        QApplication::setApplicationName(QStringLiteral("quillory-bench"));
        UseDialogFont();
        status = Run(QApplication::arguments());
        qDeleteAll(QApplication::topLevelWidgets());
    }
    RemoveSiteData();
    return status;
}
