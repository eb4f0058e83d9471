// What pages may not do in a kiosk, tried with real pages on Qt WebEngine:
// no picker, download, other program, device, login box, new window or full
// screen ever comes up, and the browser's keys and drops do nothing.

#include "Harness.h"
#include "LocalServer.h"

#include <QDesktopServices>
#include <QDir>
#include <QDrag>
#include <QMimeData>
#include <QProcess>
#include <QStandardPaths>
#include <QWheelEvent>
#include <memory>

using namespace quillory;

namespace {

// Records any URL that the engine hands over to another program.
class ExternalHandler : public QObject {
    Q_OBJECT
public:
    QList<QUrl> handed;
public slots:
    void open(const QUrl& url) { handed << url; }
};

}  // namespace

class PageGuardsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void nothingLeavesThePageAndEveryDeviceIsDenied();
    void loginPromptsAndBadCertificatesShowNoBox();
    void noPopupByAnyRoute();
    void browserKeysAndDropsDoNothing();

private:
    void Load(const QString& page);
    QString Title() const { return view()->title(); }
    QWebEngineView* view() const { return harness::ViewOf(browser_); }
    void Click(int x, int y, Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers keys = {})
    {
        QTest::mouseClick(view()->focusProxy(), button, keys, QPoint(x, y));
    }
    QList<QWidget*> OtherWindows() const;

    LocalServer server_;
    std::unique_ptr<harness::BrowserWindow> fixture_;
    QWidget* window_ = nullptr;
    WebBrowser* browser_ = nullptr;
};

void PageGuardsTest::init()
{
    QVERIFY(server_.Start());
    fixture_ = std::make_unique<harness::BrowserWindow>();
    window_ = &fixture_->window;
    browser_ = fixture_->browser;
    QVERIFY(QTest::qWaitForWindowExposed(window_));
}

void PageGuardsTest::cleanup()
{
    fixture_.reset();
    server_.Stop();
}

void PageGuardsTest::Load(const QString& page)
{
    browser_->Navigate(server_.Url(page));
    QVERIFY(harness::WaitForCompletion(browser_, server_.Url(page)));
    QTRY_VERIFY_WITH_TIMEOUT(!view()->page()->isLoading(), 15000);
}

QList<QWidget*> PageGuardsTest::OtherWindows() const
{
    QList<QWidget*> others;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget != window_ && widget->isVisible())
            others << widget;
    }
    return others;
}

void PageGuardsTest::nothingLeavesThePageAndEveryDeviceIsDenied()
{
    ExternalHandler handler;
    const char* const schemes[] = {"mailto", "tel", "quillory-test"};
    for (const char* scheme : schemes)
        QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &handler, "open");
    const QString downloads = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    const QStringList before = QDir(downloads).entryList(QDir::Files);

    Load(QStringLiteral("requests.html"));
    // Full screen, then location, notifications, camera, microphone, screen
    // capture and mouse lock, each with a click's user activation (which the
    // others would use up); then a file picker, mailto:, downloads by
    // Content-Disposition and by <a download>, and window.print().
    for (int y : {430, 630, 30, 130, 230, 330, 530})
        Click(100, y);
    // mailto: by location, frame and form, tel:, picture-in-picture, the
    // eyedropper, screen capture and the document's picture-in-picture
    // window, each with a click of its own. (A window
    // opened on mailto: is the browser's window, refused or not by the form.)
    for (QPoint at : {QPoint(300, 30), QPoint(300, 130), QPoint(300, 330), QPoint(500, 30), QPoint(500, 130),
                      QPoint(500, 230), QPoint(500, 330), QPoint(500, 430)})
        Click(at.x(), at.y());
    view()->page()->runJavaScript(QStringLiteral("location.href = 'tel:123'; location.href = 'quillory-test:x';"));
    // A right-click opens no menu (its entries save, print, inspect and open windows).
    Click(400, 300, Qt::RightButton);
    for (const char* answer : {"printed", "fullscreen-refused", "geo-1", "notify-denied", "camera-", "mic-",
                               "screen-NotAllowedError", "lock-refused", "pip-", "eyedropper-", "docpip-"})
        QTRY_VERIFY2_WITH_TIMEOUT(Title().contains(QLatin1String(answer)), answer, 10000);
    QTest::qWait(1000);

    QVERIFY(!Title().contains(QLatin1String("granted")));
    QVERIFY(!window_->isFullScreen());
    QVERIFY(handler.handed.isEmpty());
    QVERIFY(OtherWindows().isEmpty());
    QCOMPARE(view()->url(), QUrl(server_.Url(QStringLiteral("requests.html"))));
    QCOMPARE(QDir(downloads).entryList(QDir::Files), before);
    for (const char* scheme : schemes)
        QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
}

void PageGuardsTest::loginPromptsAndBadCertificatesShowNoBox()
{
    QSignalSpy completed(browser_, &WebBrowser::NavigateComplete2);
    browser_->Navigate(server_.Url(QStringLiteral("login")));
    QTRY_VERIFY_WITH_TIMEOUT(!completed.isEmpty(), 10000);
    QTest::qWait(500);
    QVERIFY(OtherWindows().isEmpty());

    // An HTTPS server with a self-signed certificate: the engine's error page,
    // no box, and no request ever reaches the server.
    QTemporaryDir tls;
    const QString key = tls.filePath("key.pem"), cert = tls.filePath("cert.pem");
    const QString request = "req -x509 -newkey rsa:2048 -nodes -subj /CN=127.0.0.1 -days 1 -keyout " + key;
    QCOMPARE(QProcess::execute(QStringLiteral("openssl"), (request + " -out " + cert).split(' ')), 0);
    LocalServer https;
    QVERIFY(https.Start(0, {QStringLiteral("--tls"), cert, key}));
    completed.clear();
    browser_->Navigate(QStringLiteral("https://127.0.0.1:%1/").arg(https.Port()));
    QTRY_VERIFY_WITH_TIMEOUT(!completed.isEmpty(), 10000);
    QVERIFY(completed.last().at(1).value<QVariant>().toString().startsWith(QLatin1String("chrome-error:")));
    QTest::qWait(500);
    QVERIFY(OtherWindows().isEmpty());
    QCOMPARE(https.Requests(), QStringList());
}

void PageGuardsTest::noPopupByAnyRoute()
{
    // The presentation refuses new windows unless allowed; the control must
    // ask whatever the route, and open nothing once refused.
    int requests = 0;
    connect(browser_, &WebBrowser::NewWindow2, this, [&](QObject**, Boolean* Cancel) {
        ++requests;
        *Cancel = True;
    });
    Load(QStringLiteral("popups.html"));
    const QString page = server_.Url(QStringLiteral("popups.html"));
    Click(100, 25);                                        // target=_blank
    Click(100, 85);                                        // a named target
    Click(100, 145);                                       // window.open on a click
    Click(100, 205, Qt::LeftButton, Qt::ShiftModifier);    // shift-click: a new window
    Click(100, 205, Qt::MiddleButton);                     // middle-click: a new tab
    Click(100, 205, Qt::LeftButton, Qt::ControlModifier);  // ctrl-click: a new tab
    view()->page()->runJavaScript(QStringLiteral("openWithoutGesture()"));
    QTRY_COMPARE_WITH_TIMEOUT(requests, 7, 10000);
    QTest::qWait(1000);
    QVERIFY(OtherWindows().isEmpty());
    QCOMPARE(view()->url().toString(), page);
    for (const QString& path : server_.Requests())
        QVERIFY2(!path.startsWith(QLatin1String("/popup.html")), qPrintable(path));
}

void PageGuardsTest::browserKeysAndDropsDoNothing()
{
    Load(QStringLiteral("home.html"));
    const qreal zoom = view()->zoomFactor();
    const QStringList before = server_.Requests();
    QWidget* target = view()->focusProxy();
    target->setFocus();
    const QList<QKeyCombination> keys{
        Qt::CTRL | Qt::Key_N,         Qt::CTRL | Qt::Key_T,     Qt::CTRL | Qt::Key_W, Qt::CTRL | Qt::Key_S,
        Qt::CTRL | Qt::Key_P,         Qt::CTRL | Qt::Key_O,     Qt::CTRL | Qt::Key_U, Qt::CTRL | Qt::SHIFT | Qt::Key_I,
        Qt::CTRL | Qt::Key_Plus,      Qt::CTRL | Qt::Key_Minus, Qt::CTRL | Qt::Key_0, QKeyCombination(Qt::Key_F11),
        QKeyCombination(Qt::Key_F12), Qt::ALT | Qt::Key_Left,   Qt::ALT | Qt::Key_F4};
    for (const QKeyCombination key : keys)
        QTest::keyClick(target, key.key(), key.keyboardModifiers());
    // Zooming by the wheel with Ctrl held.
    QWheelEvent wheel(QPointF(200, 200), target->mapToGlobal(QPointF(200, 200)), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &wheel);

    // A file and a link dragged across the X server onto the page, by the
    // pointer. The page listens for drops and would take one; nothing reaches it.
    view()->page()->runJavaScript(
        QStringLiteral("document.addEventListener('dragover', e => e.preventDefault());"
                       "document.addEventListener('drop', e => { e.preventDefault(); document.title = 'dropped'; });"));

    // The button goes down on another window, the drag starts there, and the
    // pointer carries it into the page and lets go.
    QWidget source;
    source.setGeometry(1000, 800, 100, 100);
    source.show();
    QVERIFY(QTest::qWaitForWindowExposed(&source));
    const QPoint from = source.mapToGlobal(QPoint(50, 50));
    const QPoint to = view()->mapToGlobal(QPoint(300, 300));
    // The coordinates go to the scripts as $1..$4.
    const QString points = QStringLiteral("%1 %2 %3 %4").arg(from.x()).arg(from.y()).arg(to.x()).arg(to.y());
    const auto script = [&](const char* text) { return QStringList{"-c", text, "sh"} + points.split(' '); };
    QCOMPARE(QProcess::execute(QStringLiteral("sh"), script("xdotool mousemove $1 $2 mousedown 1")), 0);
    QProcess::startDetached(QStringLiteral("sh"),
                            script("sleep 1; for step in 1 2 3 4; do xdotool mousemove $(($1 + ($3 - $1) * step / 4)) "
                                   "$(($2 + ($4 - $2) * step / 4)); sleep 0.2; done; sleep 0.5; xdotool mouseup 1"));
    auto* data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(QStringLiteral(QUILLORY_TESTS_DIR "/pages/next.html")),
                   QUrl(server_.Url(QStringLiteral("next.html")))});
    data->setText(server_.Url(QStringLiteral("next.html")));
    auto* drag = new QDrag(&source);  // Qt deletes it once the drag is over
    drag->setMimeData(data);
    QCOMPARE(drag->exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction), Qt::IgnoreAction);

    source.hide();
    QTest::qWait(1500);
    QCOMPARE(Title(), QStringLiteral("Home"));
    QVERIFY(OtherWindows().isEmpty());
    QVERIFY(window_->isVisible());
    QCOMPARE(view()->zoomFactor(), zoom);
    QCOMPARE(view()->url(), QUrl(server_.Url(QStringLiteral("home.html"))));
    QCOMPARE(server_.Requests(), before);
}

QUILLORY_TEST_MAIN(PageGuardsTest)
#include "test_page_guards.moc"
