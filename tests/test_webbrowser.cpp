// The browser control against real pages from a local server: completed
// navigations, addresses, and offline reading from the cache.

#include "Harness.h"
#include "LocalServer.h"
#include "platform/browser/AddressUrl.h"
#include "platform/browser/PopupWindow.h"

#include <QApplication>
#include <QDir>
#include <QNetworkProxy>
#include <QQuickWindow>
#include <QWebEngineSettings>
#include <memory>

using namespace quillory;

namespace {

using harness::CompletedUrls;

QList<QWidget*> BrowserWindows()
{
    QList<QWidget*> found;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && window->windowTitle().endsWith(QLatin1String(" - ") + kBrowserWindowMarker))
            found << window;
    }
    return found;
}

}  // namespace

class WebBrowserTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void everyFrameCompletesOnce();
    void addressesWithoutScheme_data();
    void addressesWithoutScheme();
    void offlineReadsOnlyTheCache();

private:
    LocalServer server_;
    std::unique_ptr<harness::BrowserWindow> fixture_;
    WebBrowser* browser_ = nullptr;
};

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

void WebBrowserTest::everyFrameCompletesOnce()
{
    // Xvfb offers no direct rendering, as a kiosk PC without a GPU: Qt Quick renders in software.
    QCOMPARE(QQuickWindow::sceneGraphBackend(), QStringLiteral("software"));
    QSignalSpy completed(browser_, &WebBrowser::NavigateComplete2);
    browser_->Navigate(server_.Url(QStringLiteral("frames.html")));
    QTRY_COMPARE_WITH_TIMEOUT(completed.size(), 4, 15000);
    QTest::qWait(500);  // and no more than four
    QStringList urls = CompletedUrls(completed);
    QCOMPARE(urls.takeFirst(), server_.Url(QStringLiteral("frames.html")));
    urls.sort();
    QCOMPARE(urls, QStringList({server_.Url(QStringLiteral("home.html")), server_.Url(QStringLiteral("next.html")),
                                server_.Url(QStringLiteral("popup.html"))}));

    // Every frame starts on an empty about:blank document of the engine's own:
    // those raise nothing, or each frame would count twice. A frame given its
    // document inline (srcdoc) completes like any other.
    completed.clear();
    browser_->Navigate(server_.Url(QStringLiteral("blank-frames.html")));
    QTRY_COMPARE_WITH_TIMEOUT(completed.size(), 2, 15000);
    QTest::qWait(500);
    QCOMPARE(CompletedUrls(completed),
             QStringList({server_.Url(QStringLiteral("blank-frames.html")), QStringLiteral("about:srcdoc")}));

    // A page the program sends to about:blank itself completes, and so does
    // the same address twice.
    completed.clear();
    const QString home = server_.Url(QStringLiteral("home.html"));
    const QStringList addresses{QStringLiteral("about:blank"), home, home};
    for (int i = 0; i < addresses.size(); ++i) {
        browser_->Navigate(addresses[i]);
        QTRY_COMPARE_WITH_TIMEOUT(completed.size(), i + 1, 15000);
    }
    QCOMPARE(CompletedUrls(completed), addresses);

    // A page's strict content security policy (which here also refuses its
    // frame) and pages without scripts still report.
    completed.clear();
    browser_->Navigate(server_.Url(QStringLiteral("strict.html")));
    QTRY_COMPARE_WITH_TIMEOUT(completed.size(), 2, 15000);
    QCOMPARE(completed.first().at(1).value<QVariant>().toString(), server_.Url(QStringLiteral("strict.html")));
    harness::ViewOf(browser_)->settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    completed.clear();
    browser_->Navigate(server_.Url(QStringLiteral("frames.html")));
    QTRY_COMPARE_WITH_TIMEOUT(completed.size(), 4, 15000);
}

void WebBrowserTest::addressesWithoutScheme_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("url");
    QTest::newRow("existing relative file") << "pages/next.html"
                                            << "file://" QUILLORY_TESTS_DIR "/pages/next.html";
    QTest::newRow("existing absolute file") << QUILLORY_TESTS_DIR "/pages/next.html"
                                            << "file://" QUILLORY_TESTS_DIR "/pages/next.html";
    QTest::newRow("host") << "www.example.com"
                          << "http://www.example.com";
    QTest::newRow("host, port and path") << "intranet:8080/welcome"
                                         << "http://intranet:8080/welcome";
    QTest::newRow("address and port") << "127.0.0.1:8080/home.html"
                                      << "http://127.0.0.1:8080/home.html";
    QTest::newRow("missing relative file") << "pages/missing.html"
                                           << "http://pages/missing.html";
    QTest::newRow("with a scheme") << "https://intranet:8080/a"
                                   << "https://intranet:8080/a";
    QTest::newRow("about") << "about:blank"
                           << "about:blank";
}

void WebBrowserTest::addressesWithoutScheme()
{
    QFETCH(QString, text);
    QFETCH(QString, url);
    const QString previous = QDir::currentPath();
    QDir::setCurrent(QStringLiteral(QUILLORY_TESTS_DIR));
    const QString found = AddressUrl(text).toString();
    QDir::setCurrent(previous);
    QCOMPARE(found, url);
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

QUILLORY_TEST_MAIN(WebBrowserTest)
#include "test_webbrowser.moc"
