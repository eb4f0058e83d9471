// The browser control on Qt WebEngine against real pages from a local server:
// what only this engine does about completed navigations, offline reading
// through its proxy, and its profiles.

#include "Harness.h"
#include "LocalServer.h"
#include "platform/browser/AddressUrl.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QNetworkProxy>
#include <QStandardPaths>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <memory>

using namespace quillory;

namespace {

using harness::BrowserWindows;
using harness::CompletedUrls;

// Where the engine keeps the preferences of each named profile.
QDir EngineData()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/QtWebEngine"));
}

QStringList ProfileFolders()
{
    return EngineData().entryList({QStringLiteral("kiosk-*")}, QDir::Dirs | QDir::NoDotAndDotDot);
}

}  // namespace

class WebBrowserTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void framesCountOnceWhateverTheirDocument();
    void addressesWithoutScheme();
    void offlineReadsOnlyTheCache();
    void visitorsLeaveNoProfileFolder();

private:
    LocalServer server_;
    std::unique_ptr<harness::BrowserWindow> fixture_;
    WebBrowser* browser_ = nullptr;
};

// What an earlier run left, before this one makes its first profile.
void WebBrowserTest::initTestCase()
{
    QVERIFY(EngineData().mkpath(QStringLiteral("kiosk-1")));
    QFile prefs(EngineData().filePath(QStringLiteral("kiosk-1/user_prefs.json")));
    QVERIFY(prefs.open(QIODevice::WriteOnly));
    prefs.write(R"({"media":{"device_id_salt":"the-last-runs-salt"}})");
}

void WebBrowserTest::init()
{
    QVERIFY(server_.Start());
    fixture_ = std::make_unique<harness::BrowserWindow>(QSize(640, 480));
    browser_ = fixture_->browser;
}

void WebBrowserTest::cleanup()
{
    fixture_.reset();
    qDeleteAll(BrowserWindows());
    server_.Stop();
    QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
}

void WebBrowserTest::framesCountOnceWhateverTheirDocument()
{
    // Xvfb offers no direct rendering, as a kiosk PC without a GPU: Qt Quick renders in software.
    QCOMPARE(qgetenv("QT_QUICK_BACKEND"), QByteArray("software"));
    QSignalSpy completed(browser_, &WebBrowser::NavigateComplete2);
    const auto url = [this](const char* page) { return server_.Url(QString::fromLatin1(page)); };
    // The completions of a navigation, once there are `count` and no more come.
    const auto load = [&](const QString& address, int count) {
        completed.clear();
        browser_->Navigate(address);
        (void)QTest::qWaitFor([&] { return completed.size() >= count; }, 15000);  // the caller checks what came
        QTest::qWait(500);
        return CompletedUrls(completed);
    };
    // Every frame starts on an empty about:blank document of the engine's own:
    // those raise nothing, or each frame would count twice. A frame given its
    // document inline (srcdoc) completes like any other.
    QCOMPARE(load(url("blank-frames.html"), 2),
             QStringList({url("blank-frames.html"), QStringLiteral("about:srcdoc")}));

    // Pages without scripts still report.
    harness::ViewOf(browser_)->settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    QCOMPARE(load(url("frames.html"), 4).size(), 4);
}

// Existing files (relative and absolute) open as files, anything else without
// a scheme is a web address, and addresses with a scheme are kept.
void WebBrowserTest::addressesWithoutScheme()
{
    const char* const cases[][2] = {
        {"pages/next.html", "file://" QUILLORY_TESTS_DIR "/pages/next.html"},
        {QUILLORY_TESTS_DIR "/pages/next.html", "file://" QUILLORY_TESTS_DIR "/pages/next.html"},
        {"www.example.com", "http://www.example.com"},
        {"intranet:8080/welcome", "http://intranet:8080/welcome"},
        {"127.0.0.1:8080/home.html", "http://127.0.0.1:8080/home.html"},
        {"pages/missing.html", "http://pages/missing.html"},
        {"https://intranet:8080/a", "https://intranet:8080/a"},
        {"about:blank", "about:blank"}};
    const auto restore = qScopeGuard([previous = QDir::currentPath()] { QDir::setCurrent(previous); });
    QDir::setCurrent(QStringLiteral(QUILLORY_TESTS_DIR));
    for (const auto& [text, url] : cases)
        QCOMPARE(AddressUrl(QString::fromUtf8(text)).toString(), QString::fromUtf8(url));
}

void WebBrowserTest::offlineReadsOnlyTheCache()
{
    // The engine never sends requests for loopback addresses through a proxy,
    // and offline mode works by taking the proxy's place. So the control
    // reaches the test server as a kiosk on a proxied network reaches a real
    // site: by name, through the server acting as its proxy.
    QNetworkProxy::setApplicationProxy(
        QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), quint16(server_.Port())));
    const auto url = [](const char* path) { return QStringLiteral("http://kiosk.test/%1").arg(QLatin1String(path)); };
    const QString frames = url("frames.html"), extras = url("offline-extras.html");
    int windows = 0;
    connect(browser_, &WebBrowser::NewWindow2, this, [&](QObject**, Boolean*) { ++windows; });
    QSignalSpy completed(browser_, &WebBrowser::NavigateComplete2);

    // The engine may send the request after a proxy change the old way: spend it.
    browser_->Navigate(QStringLiteral("http://127.0.0.1:1/"));
    QTRY_VERIFY_WITH_TIMEOUT(completed.size() == 1, 15000);
    completed.clear();

    // Online: the pages and their frames reach the cache.
    browser_->Navigate(frames);
    QTRY_COMPARE_WITH_TIMEOUT(completed.size(), 4, 15000);
    browser_->Navigate(extras);
    QTRY_COMPARE_WITH_TIMEOUT(windows, 1, 15000);
    QTRY_COMPARE_WITH_TIMEOUT(BrowserWindows().size(), 1, 15000);  // allowed: it opens
    qDeleteAll(BrowserWindows());

    // Offline, with the server gone: the cached page and its frames still show.
    browser_->setOffline(true);
    const int port = server_.Port();
    server_.Stop();
    completed.clear();
    browser_->Navigate(frames);
    for (const char* page : {"frames.html", "next.html", "popup.html", "home.html"})
        QTRY_VERIFY_WITH_TIMEOUT(CompletedUrls(completed).contains(url(page)), 15000);
    QVERIFY(!CompletedUrls(completed).join(QLatin1Char(' ')).contains(QLatin1String("chrome-error")));

    // Offline, server back: a page never cached shows the error page; a
    // cached page's new frame and new window, at addresses never cached,
    // fail too. No request reaches the server.
    QVERIFY(server_.Start(port));
    completed.clear();
    browser_->Navigate(url("next.html?never-cached"));
    QTRY_VERIFY_WITH_TIMEOUT(!completed.isEmpty(), 15000);
    QVERIFY(CompletedUrls(completed).first().startsWith(QLatin1String("chrome-error:")));
    browser_->Navigate(extras);
    QTRY_VERIFY_WITH_TIMEOUT(CompletedUrls(completed).contains(extras), 15000);
    QTRY_COMPARE_WITH_TIMEOUT(windows, 2, 15000);
    QTest::qWait(2000);
    QCOMPARE(server_.Requests(), QStringList());
}

// However many visitors come, no profile's folder stays, and each profile has
// a name of its own, so nothing stored under an earlier one is found again.
void WebBrowserTest::visitorsLeaveNoProfileFolder()
{
    const QString home = server_.Url(QStringLiteral("home.html"));
    const auto profileName = [this] { return harness::ViewOf(browser_)->page()->profile()->storageName(); };
    QStringList names{profileName()};
    for (int visitor = 0; visitor < 3; ++visitor) {
        browser_->Navigate(home);
        QVERIFY(harness::WaitForCompletion(browser_, home));
        QTest::qWait(1500);  // the spare page's profile exists by now
        QCOMPARE(ProfileFolders(), QStringList());
        browser_->ForgetVisitor();
        QVERIFY(!names.contains(profileName()));
        names << profileName();
    }
}

QUILLORY_TEST_MAIN(WebBrowserTest)
#include "test_webbrowser.moc"
