// The browser control on Debian's Chromium against real pages from a local
// server, in what only this engine does: its window taken into the control's
// rectangle, a browser process per visitor, keys passed over the pipe, the
// browser's own pages and programs kept from the visitor's pages, and the
// fields a finger touches.

#include "Harness.h"
#include "platform/browser/chromium/ChromiumBrowser.h"
#include "platform/browser/chromium/ChromiumPopup.h"
#include "platform/browser/chromium/ChromiumVisit.h"
#include "platform/browser/chromium/PageKeys.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <csignal>
#include <memory>

using namespace quillory;
using harness::ClickOnScreen;
using harness::Near;
using harness::ScreenPixel;

namespace {

QStringList Urls(const QSignalSpy& completed)
{
    QStringList urls;
    for (const QList<QVariant>& event : completed)
        urls << event.at(1).value<QVariant>().toString();
    return urls;
}

const QColor kHomeGreen(0x2A, 0x7D, 0x2A);

using Focus = QList<QVariant>;  // TextFieldFocused's byTouch, singleLine
const Focus kTouchSingle{true, true};
const Focus kTouchMulti{true, false};
const Focus kOtherSingle{false, true};

}  // namespace

class ChromiumBrowserTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void showsInItsRectangle();
    void everyClickOnALinkToARefusedWindowIsAskedFor();
    void aKilledBrowserIsForgottenAndTheCacheOutlivesIt();
    void keysReachThePageButNotTheBrowser();
    void pagesReachNoneOfTheBrowsersOwnPages();
    void pagesStartNoProgramAndNeverReachTheScreen();
    void aBrowserThatKeepsEndingIsReplacedEverMoreSlowly();
    void aFingerOnAFieldTellsOfItAndTypesThere();
    void anOpenedWindowsFieldTakesTheTyping();
    void aPageCannotAskForTheKeyboard();
    void noGestureOfTheFingersZoomsOrLeavesThePage();

private:
    void ShowControl();
    void Load(const QString& page);
    // A finger's tap at a point of the page, or a press held for `holdMs`
    // and dragged by `drag`: the X server has no touch device, the browser is
    // given one over its pipe.
    void Touch(QPoint at, int holdMs = 0, QPoint drag = {});
    // What a script of the page's evaluates to.
    QVariant Evaluate(const QString& expression);
    // Waits for a command to the page to be answered.
    bool Answered(const QString& method, const QJsonObject& params);

    LocalServer server_;
    std::unique_ptr<QWidget> window_;
    ChromiumBrowser* browser_ = nullptr;
};

// A black window with the control in it, clear of the window's left strip.
void ChromiumBrowserTest::init()
{
    if (!QFile::exists(QStringLiteral("/usr/bin/chromium")))
        QSKIP("Debian's chromium is not installed");
    QVERIFY(server_.Start());
    ShowControl();
}

void ChromiumBrowserTest::ShowControl()
{
    window_ = std::make_unique<QWidget>(nullptr, Qt::Window | Qt::FramelessWindowHint);
    window_->setGeometry(0, 0, 640, 480);
    QPalette black = window_->palette();
    black.setColor(QPalette::Window, Qt::black);
    window_->setPalette(black);
    window_->setAutoFillBackground(true);
    browser_ = new ChromiumBrowser(window_.get());
    browser_->setLeft(10 * TwipsPerPixel());
    browser_->setTop(0);
    browser_->setWidth(630 * TwipsPerPixel());
    browser_->setHeight(480 * TwipsPerPixel());
    window_->show();
}

void ChromiumBrowserTest::cleanup()
{
    const qint64 browser = browser_ ? browser_->BrowserProcessId() : -1;
    window_.reset();
    browser_ = nullptr;
    server_.Stop();
    if (browser > 0)
        QVERIFY(::kill(static_cast<pid_t>(browser), 0) != 0);  // the browser ended with the control
}

void ChromiumBrowserTest::showsInItsRectangle()
{
    QSignalSpy completed(browser_, &ChromiumBrowser::NavigateComplete2);
    QSignalSpy loaded(browser_, &ChromiumBrowser::DocumentComplete);
    const QString home = server_.Url(QStringLiteral("home.html"));
    browser_->Navigate(home);
    QTRY_VERIFY_WITH_TIMEOUT(Urls(loaded).contains(home), 20000);
    QVERIFY2(Urls(completed) == QStringList{home}, qPrintable(Urls(completed).join(' ')));
    // The page fills the control, and the window's strip stays black.
    QTRY_VERIFY_WITH_TIMEOUT(Near(ScreenPixel({500, 300}), kHomeGreen), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(Near(ScreenPixel({580, 470}), kHomeGreen), 5000);
    QCOMPARE(ScreenPixel({5, 400}), QColor(Qt::black));

    // The homepage's load started the refresh of the cache kept for later
    // runs; going offline ends it before it reaches the server.
    browser_->setOffline(true);
    QTest::qWait(200);  // a request on its way as the refresh ended
    const qsizetype offline = server_.Requests().size();
    QTest::qWait(3000);
    QCOMPARE(server_.Requests().mid(offline), QStringList());
}

// The visitor's search stores all a site can keep, then the browser is
// killed: forgetting the visitor starts a new one, which holds nothing of it.
// In a later run, offline, the homepage comes from the disk cache.
void ChromiumBrowserTest::aKilledBrowserIsForgottenAndTheCacheOutlivesIt()
{
    const QString home = server_.Url(QStringLiteral("home.html"));
    QSignalSpy loaded(browser_, &ChromiumBrowser::DocumentComplete);
    browser_->Navigate(home);
    QTRY_VERIFY_WITH_TIMEOUT(Urls(loaded).contains(home), 20000);
    browser_->Navigate(server_.Url(QStringLiteral("visitor.html?q=secret")));
    QTRY_VERIFY_WITH_TIMEOUT(server_.Requests().contains("/stored?cookies+local+session+indexeddb+caches+worker"),
                             20000);

    const qint64 killed = browser_->BrowserProcessId();
    QCOMPARE(::kill(static_cast<pid_t>(killed), SIGKILL), 0);
    const qsizetype asked = server_.Requests().size();
    browser_->ForgetVisitor();
    QVERIFY(browser_->BrowserProcessId() != killed);
    browser_->Navigate(server_.Url(QStringLiteral("visitor.html")));
    QTRY_VERIFY2_WITH_TIMEOUT(
        !server_.Requests().mid(asked).filter(QRegularExpression("^/home\\?history=[12]&held=$")).isEmpty(),
        qPrintable(server_.Requests().mid(asked).join(" ")), 20000);

    window_.reset();
    ShowControl();
    browser_->setOffline(true);
    const qsizetype before = server_.Requests().size();
    QSignalSpy offline(browser_, &ChromiumBrowser::DocumentComplete);
    browser_->Navigate(home);
    QTRY_VERIFY_WITH_TIMEOUT(Urls(offline).contains(home), 20000);
    QTRY_VERIFY_WITH_TIMEOUT(Near(ScreenPixel({500, 300}), kHomeGreen), 5000);
    QCOMPARE(server_.Requests().mid(before), QStringList());
}

// The program's window keeps the focus; what is typed reaches the page's
// box, and the keys by which the browser itself would open windows, files or
// its tools never leave the program.
void ChromiumBrowserTest::keysReachThePageButNotTheBrowser()
{
    const std::pair<Qt::Key, Qt::KeyboardModifiers> refused[] = {{Qt::Key_N, Qt::ControlModifier},
                                                                 {Qt::Key_T, Qt::ControlModifier},
                                                                 {Qt::Key_O, Qt::ControlModifier},
                                                                 {Qt::Key_P, Qt::ControlModifier},
                                                                 {Qt::Key_I, Qt::ControlModifier | Qt::ShiftModifier},
                                                                 {Qt::Key_F12, Qt::NoModifier},
                                                                 {Qt::Key_F11, Qt::NoModifier},
                                                                 {Qt::Key_Left, Qt::AltModifier},
                                                                 {Qt::Key_Plus, Qt::ControlModifier}};
    for (const auto& [key, modifiers] : refused)
        QVERIFY(!PageKeyEvent(QKeyEvent(QEvent::KeyPress, key, modifiers)));
    QVERIFY(PageKeyEvent(QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier)));

    QSignalSpy loaded(browser_, &ChromiumBrowser::DocumentComplete);
    const QString visitor = server_.Url(QStringLiteral("visitor.html"));
    browser_->Navigate(visitor);
    QTRY_VERIFY_WITH_TIMEOUT(Urls(loaded).contains(visitor), 20000);
    // A real click into the page's box, at (100, 300) within the page.
    QTRY_VERIFY_WITH_TIMEOUT(Near(ScreenPixel({500, 200}), kHomeGreen), 5000);
    QVERIFY(ClickOnScreen({130, 315}));
    QTest::qWait(500);  // the click comes to the browser through the X server, the keys through the pipe
    browser_->setFocus();
    QTest::keyClicks(browser_, QStringLiteral("Ab c"));
    QTest::keyClick(browser_, Qt::Key_Backspace);
    QTRY_VERIFY_WITH_TIMEOUT(server_.Requests().contains("/typed?Ab%20"), 10000);

    // Keys that still come here while another of the program's windows is
    // open, as they may the moment the exit prompt opens, are that window's.
    QWidget prompt;
    auto* box = new QLineEdit(&prompt);
    prompt.show();
    box->setFocus();
    QTest::keyClicks(browser_, QStringLiteral("xyz"));
    QCOMPARE(box->text(), QStringLiteral("xyz"));
    QTest::qWait(500);
    QVERIFY2(server_.Requests().filter(QStringLiteral("/typed?Ab%20x")).isEmpty(),
             qPrintable(server_.Requests().join(' ')));
}

// The browser's settings, tools, source view and local files are no page's
// to open: no navigation completes but the web's, or the empty page the
// browser puts in place of one it blocks.
void ChromiumBrowserTest::pagesReachNoneOfTheBrowsersOwnPages()
{
    const QString page = server_.Url(QStringLiteral("escapes.html"));
    QSignalSpy completed(browser_, &ChromiumBrowser::NavigateComplete2);
    for (const QString& target :
         {QStringLiteral("chrome://settings/"), QStringLiteral("chrome://version/"),
          QStringLiteral("chrome://downloads/"), QStringLiteral("view-source:") + page,
          QStringLiteral("file:///etc/hostname"), QStringLiteral("devtools://devtools/bundled/inspector.html"),
          QStringLiteral("chrome-untrusted://terms/")}) {
        for (const char* how : {"location", "link"}) {
            const qsizetype asked = server_.Requests().size();
            completed.clear();
            browser_->Navigate(page + QStringLiteral("?how=") + how + QStringLiteral("&to=") +
                               QString::fromLatin1(QUrl::toPercentEncoding(target)));
            QTRY_VERIFY_WITH_TIMEOUT(!server_.Requests().mid(asked).filter(QStringLiteral("/trying?")).isEmpty(),
                                     20000);
            QTest::qWait(600);
            for (const QString& url : Urls(completed))
                QVERIFY2(url.startsWith(server_.Url({})) || url.startsWith(QLatin1String("about:blank")),
                         qPrintable(target + QLatin1Char(' ') + how + QLatin1String(": ") + url));
        }
    }
}

// No page starts a program of the desktop's, by any way it has; nor does it
// capture the screen, float a picture-in-picture window over the program or
// read the screen's colours with the eyedropper: each is refused at once.
void ChromiumBrowserTest::pagesStartNoProgramAndNeverReachTheScreen()
{
    // Stand-ins for the desktop's launchers, first on the PATH, record every call.
    QTemporaryDir launchers;
    const QString calls = launchers.filePath(QStringLiteral("calls"));
    QFile recorder(launchers.filePath(QStringLiteral("record")));
    QVERIFY(recorder.open(QIODevice::WriteOnly));
    recorder.write(QStringLiteral("#!/bin/sh\necho \"$0 $*\" >> '%1'\n").arg(calls).toUtf8());
    recorder.close();
    recorder.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    for (const char* name : {"xdg-open", "xdg-email", "xdg-mime", "xdg-settings", "gio", "gvfs-open", "kde-open",
                             "exo-open", "sensible-browser", "x-www-browser", "www-browser"})
        QVERIFY(QFile::link(recorder.fileName(), launchers.filePath(QLatin1String(name))));
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", launchers.path().toLocal8Bit() + ':' + path);
    browser_->ForgetVisitor();  // a browser that has that PATH
    qputenv("PATH", path);

    QSignalSpy loaded(browser_, &ChromiumBrowser::DocumentComplete);
    const QString page = server_.Url(QStringLiteral("requests.html"));
    browser_->Navigate(page);
    QTRY_VERIFY_WITH_TIMEOUT(Urls(loaded).contains(page), 20000);
    QTest::qWait(500);  // the browser's window drawn where the clicks go
    // Picture-in-picture, the eyedropper, screen capture, the document's
    // picture-in-picture window; the mailto: link,
    // location, frame, form and window, which opens over the page's middle;
    // last tel:, whose question ("Open xdg-open?") then stays over the page.
    // Each click brings the user activation that each needs. In the page's
    // columns at x 0, 220 and 420, rows 100 apart; the control is at x 10.
    const QPoint clicks[] = {{510, 130}, {510, 230}, {510, 330}, {510, 430}, {100, 130},
                             {310, 30},  {310, 130}, {310, 330}, {310, 230}, {510, 30}};
    for (const QPoint& at : clicks) {
        QCOMPARE(QProcess::execute(QStringLiteral("xdotool"),
                                   {"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1"}),
                 0);
        QTest::qWait(300);
    }
    for (const char* answer : {"/noted?pip-NotAllowedError", "/noted?eyedropper-absent",
                               "/noted?screen-NotAllowedError", "/noted?docpip-absent"})
        QTRY_VERIFY2_WITH_TIMEOUT(server_.Requests().contains(QLatin1String(answer)),
                                  qPrintable(answer + server_.Requests().join(' ')), 5000);
    QTest::qWait(1000);  // a launcher the browser had started would have written by now
    QFile recorded(calls);
    QVERIFY2(!recorded.exists(), recorded.open(QIODevice::ReadOnly) ? recorded.readAll().constData() : "");
}

// Each end of the browser is told of, to be replaced (as the presentation
// does); the first few at once, the ones after them ever later.
void ChromiumBrowserTest::aBrowserThatKeepsEndingIsReplacedEverMoreSlowly()
{
    connect(browser_, &ChromiumBrowser::BrowserEnded, browser_, &ChromiumBrowser::ForgetVisitor);
    QSignalSpy ended(browser_, &ChromiumBrowser::BrowserEnded);
    QList<qint64> waits;
    for (int end = 1; end <= 5; ++end) {
        const qint64 browser = browser_->BrowserProcessId();
        QCOMPARE(::kill(static_cast<pid_t>(browser), SIGKILL), 0);
        QElapsedTimer waited;
        waited.start();
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), end, 10000);
        waits << waited.elapsed();
        QVERIFY(browser_->BrowserProcessId() != browser);
    }
    const auto text = [&waits] {
        QStringList figures;
        for (qint64 wait : waits)
            figures << QString::number(wait);
        return figures.join(' ');
    };
    // The timers are coarse: 5 % early at most.
    QVERIFY2(waits[0] < 800 && waits[2] < 800 && waits[3] >= 950 && waits[4] >= 1900, qPrintable(text()));
}

void ChromiumBrowserTest::Load(const QString& page)
{
    QSignalSpy loaded(browser_, &ChromiumBrowser::DocumentComplete);
    browser_->Navigate(page);
    QTRY_VERIFY_WITH_TIMEOUT(Urls(loaded).contains(page), 20000);
}

void ChromiumBrowserTest::Touch(QPoint at, int holdMs, QPoint drag)
{
    const auto point = [](QPoint at) { return QJsonArray{QJsonObject{{"x", at.x()}, {"y", at.y()}}}; };
    QVERIFY(Answered(QStringLiteral("Input.dispatchTouchEvent"), {{"type", "touchStart"}, {"touchPoints", point(at)}}));
    QTest::qWait(holdMs);  // a long press is a press that lasts
    if (!drag.isNull()) {
        for (int step = 1; step <= 5; ++step)
            QVERIFY(Answered(QStringLiteral("Input.dispatchTouchEvent"),
                             {{"type", "touchMove"}, {"touchPoints", point(at + drag * step / 5)}}));
    }
    QVERIFY(
        Answered(QStringLiteral("Input.dispatchTouchEvent"), {{"type", "touchEnd"}, {"touchPoints", QJsonArray()}}));
}

bool ChromiumBrowserTest::Answered(const QString& method, const QJsonObject& params)
{
    bool answered = false;
    browser_->CurrentVisit()->SendToPage(method, params, {},
                                         [&answered](const QJsonObject&, const QString&) { answered = true; });
    return QTest::qWaitFor([&answered] { return answered; }, 20000);
}

QVariant ChromiumBrowserTest::Evaluate(const QString& expression)
{
    std::optional<QVariant> value;
    browser_->CurrentVisit()->SendToPage(QStringLiteral("Runtime.evaluate"),
                                         {{"expression", expression}, {"returnByValue", true}, {"awaitPromise", true}},
                                         {}, [&value](const QJsonObject& result, const QString&) {
                                             value = result.value("result").toObject().value("value").toVariant();
                                         });
    if (!QTest::qWaitFor([&value] { return value.has_value(); }, 10000))
        return QStringLiteral("no answer");
    return value.value_or(QVariant());
}

// A field that a finger touches is told of, in the page and in its frames
// of the same site and of another; the control types into it, and moves on
// with Tab. A click gives the same field without the finger, and a touch
// beside any field leaves it. The field at the very bottom stays in sight
// when the page's area shrinks; the next visitor hears nothing of the last.
void ChromiumBrowserTest::aFingerOnAFieldTellsOfItAndTypesThere()
{
    QSignalSpy focused(browser_, &ChromiumBrowser::TextFieldFocused);
    QSignalSpy left(browser_, &ChromiumBrowser::TextFieldLeft);
    QSignalSpy pointer(browser_, &ChromiumBrowser::PointerKindChanged);
    Load(server_.Url(QStringLiteral("fields.html")));
    QTRY_VERIFY_WITH_TIMEOUT(server_.Requests().contains("/field-frame.html?cross"), 10000);

    Touch({200, 60});
    QTRY_COMPARE_WITH_TIMEOUT(focused.size(), 1, 10000);
    QCOMPARE(focused.at(0), kTouchSingle);
    QCOMPARE(pointer.size(), 1);
    QCOMPARE(pointer.at(0).at(0), QVariant(true));
    browser_->TypeText(QStringLiteral("kiosk@examplx"));
    browser_->TypeKey(Qt::Key_Backspace);
    browser_->TypeText(QStringLiteral("e.og"));
    browser_->TypeKey(Qt::Key_Left);
    browser_->TypeText(QStringLiteral("r"));
    browser_->TypeKey(Qt::Key_Right);
    QTRY_VERIFY2_WITH_TIMEOUT(server_.Requests().contains("/typed?box=kiosk%40example.org"),
                              qPrintable(server_.Requests().filter("typed").join(' ')), 10000);
    // Tab moves on to the text area, still under the finger's keyboard;
    // Return there starts a new line.
    browser_->TypeKey(Qt::Key_Tab);
    QTRY_COMPARE_WITH_TIMEOUT(focused.size(), 2, 10000);
    QCOMPARE(focused.at(1), kTouchMulti);
    browser_->TypeText(QStringLiteral("a"));
    browser_->TypeKey(Qt::Key_Return);
    browser_->TypeText(QStringLiteral("b"));
    QTRY_VERIFY_WITH_TIMEOUT(server_.Requests().contains("/typed?notes=a%0Ab"), 10000);

    // A real click of the mouse on the first field; the control is 10 px in.
    QVERIFY(ClickOnScreen({210, 60}));
    QTRY_COMPARE_WITH_TIMEOUT(focused.size(), 3, 10000);
    QCOMPARE(focused.at(2), kOtherSingle);
    QTRY_COMPARE_WITH_TIMEOUT(pointer.size(), 2, 10000);
    QCOMPARE(pointer.at(1).at(0), QVariant(false));

    // The frames' fields, one after the other: the focus moves from field to
    // field, never out of them. (A field in a frame of another process may be
    // told of twice, as its frame takes the focus: the keyboard stays as it is.)
    for (const char* frame : {"same", "cross"}) {
        const int row = QByteArray(frame) == "same" ? 240 : 340;
        const qsizetype before = focused.size();
        Touch({250, row});
        QTRY_VERIFY_WITH_TIMEOUT(focused.size() > before, 10000);
        QCOMPARE(focused.last(), kTouchSingle);
        browser_->TypeText(QString::fromLatin1(frame));
        QTRY_VERIFY2_WITH_TIMEOUT(server_.Requests().contains(QStringLiteral("/typed?%1=%1").arg(frame)),
                                  qPrintable(server_.Requests().filter("typed").join(' ')), 10000);
    }
    QCOMPARE(left.size(), 0);
    Touch({550, 180});
    QTRY_COMPARE_WITH_TIMEOUT(left.size(), 1, 10000);

    // The field at the bottom, then the page's area half as high.
    Touch({200, 460});
    QTRY_COMPARE_WITH_TIMEOUT(focused.last(), kTouchSingle, 10000);
    browser_->setHeight(240 * TwipsPerPixel());
    QTRY_VERIFY2_WITH_TIMEOUT(server_.Requests().contains("/seen?bottom-in&height=240"),
                              qPrintable(server_.Requests().filter("seen").join(' ')), 10000);

    // The field goes with the visitor.
    const qsizetype before = focused.size();
    browser_->ForgetVisitor();
    QCOMPARE(left.size(), 2);
    Load(server_.Url(QStringLiteral("fields.html")));
    QCOMPARE(focused.size(), before);
    QCOMPARE(left.size(), 2);
}

// Each click on a link to a new window is put to the host, and refused,
// nothing of the window shows: a refused window mapped for a moment under
// the pointer used to make the browser lose the next click there.
void ChromiumBrowserTest::everyClickOnALinkToARefusedWindowIsAskedFor()
{
    int asked = 0;
    connect(browser_, &ChromiumBrowser::NewWindow2, this, [&asked](QObject**, Boolean* Cancel) {
        ++asked;
        *Cancel = True;
    });
    QSignalSpy loaded(browser_, &ChromiumBrowser::DocumentComplete);
    const QString page = server_.Url(QStringLiteral("popups.html"));
    browser_->Navigate(page);
    QTRY_VERIFY_WITH_TIMEOUT(Urls(loaded).contains(page), 20000);
    const QPoint link(110, 25);  // target=_blank, in the page's corner
    QTRY_VERIFY_WITH_TIMEOUT(Near(ScreenPixel(link), QColor(0xcc, 0xcc, 0xcc)), 5000);
    for (int click = 1; click <= 3; ++click) {
        QVERIFY(ClickOnScreen(link));
        QTRY_COMPARE_WITH_TIMEOUT(asked, click, 5000);
    }
    for (QWidget* window : QApplication::topLevelWidgets())
        QVERIFY(!qobject_cast<ChromiumPopup*>(window));
    QCOMPARE(server_.Requests().filter(QStringLiteral("/popup.html")), QStringList());
}

// A window that a page opened has its fields followed too, and takes the
// typing for them.
void ChromiumBrowserTest::anOpenedWindowsFieldTakesTheTyping()
{
    QSignalSpy focused(browser_, &ChromiumBrowser::TextFieldFocused);
    Load(server_.Url(QStringLiteral("field-opener.html")));
    ChromiumPopup* popup = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&popup] {
            for (QWidget* window : QApplication::topLevelWidgets()) {
                if (auto* opened = qobject_cast<ChromiumPopup*>(window); opened && opened->isVisible())
                    popup = opened;
            }
            return popup != nullptr;
        }(),
        20000);
    // The opened page drawn at the window's corner: its grey, and its white
    // field at (10, 20) in it, 280 x 40.
    const QPoint corner = popup->mapToGlobal(QPoint(0, 0));
    const QPoint field = corner + QPoint(150, 40);
    QTRY_VERIFY_WITH_TIMEOUT(Near(ScreenPixel(corner + QPoint(5, 5)), QColor(0xDD, 0xDD, 0xDD)) &&
                                 Near(ScreenPixel(field), Qt::white) &&
                                 Near(ScreenPixel(corner + QPoint(150, 70)), QColor(0xDD, 0xDD, 0xDD)),
                             20000);
    QVERIFY(ClickOnScreen(field));
    QTRY_COMPARE_WITH_TIMEOUT(focused.size(), 1, 10000);
    QCOMPARE(focused.at(0), kOtherSingle);
    browser_->TypeText(QStringLiteral("opened"));
    QTRY_VERIFY2_WITH_TIMEOUT(server_.Requests().contains("/typed?opened=opened"),
                              qPrintable(server_.Requests().join(' ')), 10000);
}

// The program's world and its binding are out of a page's reach: neither
// its calls nor its own events nor its script's focus count as a finger's,
// even a while after a real touch elsewhere, and nothing is typed.
void ChromiumBrowserTest::aPageCannotAskForTheKeyboard()
{
    QSignalSpy focused(browser_, &ChromiumBrowser::TextFieldFocused);
    QSignalSpy pointer(browser_, &ChromiumBrowser::PointerKindChanged);
    Load(server_.Url(QStringLiteral("hostile.html")));
    QTRY_VERIFY2_WITH_TIMEOUT(server_.Requests().contains("/attacked?binding=undefined&focused=true"),
                              qPrintable(server_.Requests().join(' ')), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(focused.size(), 1, 10000);  // the script's focus
    Touch({250, 300});
    QTRY_COMPARE_WITH_TIMEOUT(pointer.size(), 1, 10000);  // the real touch
    QTRY_VERIFY_WITH_TIMEOUT(server_.Requests().contains("/late-focus"), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(focused.size(), 2, 10000);
    for (const QList<QVariant>& focus : focused)
        QCOMPARE(focus.at(0), QVariant(false));
    QVERIFY2(server_.Requests().filter("/typed?").isEmpty(), qPrintable(server_.Requests().join(' ')));
}

// A pinch leaves the page at its scale, a swipe sideways never goes back in
// history, a long press selects no word and drags no link; Backspace from
// the program's keyboard with no field goes nowhere either.
void ChromiumBrowserTest::noGestureOfTheFingersZoomsOrLeavesThePage()
{
    QSignalSpy completed(browser_, &ChromiumBrowser::NavigateComplete2);
    Load(server_.Url(QStringLiteral("home.html")));
    Load(server_.Url(QStringLiteral("gestures.html")));
    completed.clear();

    // Two fingers spread apart, as the browser has them from a touch screen.
    const auto fingers = [](int spread) {
        return QJsonArray{QJsonObject{{"x", 300 - spread}, {"y", 250}, {"id", 1}},
                          QJsonObject{{"x", 300 + spread}, {"y", 250}, {"id", 2}}};
    };
    QVERIFY(
        Answered(QStringLiteral("Input.dispatchTouchEvent"), {{"type", "touchStart"}, {"touchPoints", fingers(40)}}));
    for (int step = 1; step <= 8; ++step)
        QVERIFY(Answered(QStringLiteral("Input.dispatchTouchEvent"),
                         {{"type", "touchMove"}, {"touchPoints", fingers(40 + 25 * step)}}));
    QVERIFY(
        Answered(QStringLiteral("Input.dispatchTouchEvent"), {{"type", "touchEnd"}, {"touchPoints", QJsonArray()}}));
    // The scale as the page has it once the compositor's pinch reached it.
    const QString scale = QStringLiteral(
        "new Promise(drawn => requestAnimationFrame(() => requestAnimationFrame(() => drawn(visualViewport.scale))))");
    QCOMPARE(Evaluate(scale).toDouble(), 1.0);
    // And a pinch on a touch pad.
    QVERIFY(Answered(QStringLiteral("Input.synthesizePinchGesture"),
                     {{"x", 300}, {"y", 200}, {"scaleFactor", 3}, {"gestureSourceType", "mouse"}}));
    QCOMPARE(Evaluate(scale).toDouble(), 1.0);

    // A swipe to the right from the page's left, and the keyboard's Backspace with no field.
    Touch({50, 300}, 0, {550, 0});
    browser_->TypeKey(Qt::Key_Backspace);
    // A long press on words, then on the link, dragged down.
    Touch({150, 40}, 1000);
    Touch({200, 150}, 1000, {0, 200});
    QTest::qWait(1000);  // a move back in history would have completed by now
    QVERIFY2(completed.isEmpty(), qPrintable(Urls(completed).join(' ')));
    QCOMPARE(Evaluate(QStringLiteral("location.pathname")), QVariant("/gestures.html"));
    QVERIFY2(server_.Requests().filter("/gesture?").isEmpty(), qPrintable(server_.Requests().join(' ')));
}

QUILLORY_TEST_MAIN(ChromiumBrowserTest)
#include "test_chromium_browser.moc"
