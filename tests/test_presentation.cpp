// The presentation window: its place on the screen, the keyboard lock, the
// new-window policy, the closing of other browser windows and the restart of
// the idle count at each completed navigation.

#include "LocalServer.h"
#include "RecordingUser32.h"
#include "platform/User32Provider.h"
#include "TestMain.h"
#include "platform/Twips.h"
#include "platform/browser/WebBrowser.h"
#include "presentation/frmBrowser.h"
#include "startup/modInitialise.h"

#include <QScreen>
#include <QSignalSpy>
#include <QTimer>
#include <memory>

using namespace quillory;
using namespace quillory::modInitialise;

class PresentationTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void coversTheScreen();
    void locksKeysOnlyWithPassword_data();
    void locksKeysOnlyWithPassword();
    void offlineBeforeTheFirstNavigation();
    void navigationRestartsTheIdleCount();
    void newWindowPolicy_data();
    void newWindowPolicy();
    void closesOnlyMarkedWindows();
    void refusesToBeClosed();

private:
    std::unique_ptr<FrmBrowser> Load(const QString& homepage);

    LocalServer server_;
    RecordingUser32 user32_;
};

void PresentationTest::init()
{
    QVERIFY(server_.Start());
    PresentationSettings = PresentationSettingsRecord{};
    PresentationSettings.MinDelay = 30;
    user32_ = RecordingUser32{};
}

void PresentationTest::cleanup()
{
    server_.Stop();
}

std::unique_ptr<FrmBrowser> PresentationTest::Load(const QString& homepage)
{
    PresentationSettings.HomepageURL = homepage;
    ReplaceSystemUser32(&user32_);
    auto form = std::make_unique<FrmBrowser>(60000);
    form->Show();
    return form;
}

void PresentationTest::coversTheScreen()
{
    const auto form = Load(server_.Url(QStringLiteral("home.html")));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const float W = screen.width() * TwipsPerPixel(), H = screen.height() * TwipsPerPixel();

    QCOMPARE(form->Left(), 0.0f);
    QCOMPARE(form->Top(), 0.0f);
    QCOMPARE(form->Width(), W);
    QCOMPARE(form->Height(), H);
    QCOMPARE(form->webBrowser->Left(), 10.0f);
    QCOMPARE(form->webBrowser->Top(), -10.0f);
    QCOMPARE(form->webBrowser->Width(), W + 10);
    QCOMPARE(form->webBrowser->Height(), H + 20);

    // In pixels: the control leaves a strip of at least one pixel on the left
    // and runs past the other three edges.
    QTRY_VERIFY(form->isVisible());
    QCOMPARE(form->geometry(), screen);
    const QRect control = form->webBrowser->geometry();
    QVERIFY(control.left() >= 1);
    QVERIFY(control.top() <= 0);
    QVERIFY(control.right() >= form->width() - 1);
    QVERIFY(control.bottom() >= form->height() - 1);
    QVERIFY(form->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(form->windowTitle(), QStringLiteral("Quillory"));
    QCOMPARE(form->palette().color(QPalette::Window), QColor(Qt::black));
    QCOMPARE(form->tmrTimeout->isActive(), true);
}

void PresentationTest::locksKeysOnlyWithPassword_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("no password") << QString() << QStringList();
    QTest::newRow("password") << QStringLiteral("secret")
                              << QStringList{QStringLiteral("SystemParametersInfoA 97 TRUE 0")};
}

void PresentationTest::locksKeysOnlyWithPassword()
{
    QFETCH(QString, password);
    PresentationSettings.Password = password;
    const auto form = Load(server_.Url(QStringLiteral("home.html")));
    QTest::qWait(200);
    QTEST(user32_.CallsOf(QStringLiteral("SystemParametersInfoA")), "expected");
}

void PresentationTest::offlineBeforeTheFirstNavigation()
{
    // The homepage was never cached: offline, even the first navigation must
    // not reach the server.
    PresentationSettings.WorkOffline = True;
    const auto form = Load(server_.Url(QStringLiteral("home.html?first")));
    QSignalSpy completed(form->webBrowser, &WebBrowser::NavigateComplete2);
    QTRY_COMPARE_WITH_TIMEOUT(completed.size(), 1, 15000);
    QVERIFY(form->webBrowser->Offline());
    QVERIFY(completed.first().at(1).value<QVariant>().toString().startsWith(QLatin1String("chrome-error:")));
    QCOMPARE(server_.Requests(), QStringList());
}

void PresentationTest::navigationRestartsTheIdleCount()
{
    const auto form = Load(server_.Url(QStringLiteral("home.html")));
    QSignalSpy completed(form->webBrowser, &WebBrowser::NavigateComplete2);
    QTRY_COMPARE_WITH_TIMEOUT(completed.size(), 1, 15000);

    // Let the interval run down a while, then complete another navigation:
    // the count goes to 0 and the timer starts a full interval afresh.
    QTest::qWait(1500);
    form->TickCount = 3;
    QVERIFY(form->tmrTimeout->remainingTime() < 59000);
    form->webBrowser->Navigate(server_.Url(QStringLiteral("frames.html")));
    QTRY_COMPARE_WITH_TIMEOUT(completed.size(), 5, 15000);
    QCOMPARE(form->TickCount, std::int16_t(0));
    QVERIFY(form->tmrTimeout->isActive());
    QVERIFY(form->tmrTimeout->remainingTime() > 59000);
}

void PresentationTest::newWindowPolicy_data()
{
    QTest::addColumn<bool>("allow");
    QTest::addColumn<bool>("close");
    QTest::addColumn<bool>("cancelled");
    QTest::addColumn<bool>("walked");
    QTest::newRow("refuse, keep others") << false << false << true << false;
    QTest::newRow("refuse, close others") << false << true << true << true;
    QTest::newRow("allow, keep others") << true << false << false << false;
    QTest::newRow("allow, close others") << true << true << false << true;
}

void PresentationTest::newWindowPolicy()
{
    QFETCH(bool, allow);
    QFETCH(bool, close);
    PresentationSettings.AllowNewWindows = allow ? True : False;
    PresentationSettings.CloseOpenWindows = close ? True : False;
    const auto form = Load(server_.Url(QStringLiteral("home.html")));
    user32_.windows = {{7, "Old - Microsoft Internet Explorer"}};

    QObject* ppDisp = nullptr;
    Boolean Cancel = False;
    form->webBrowser_NewWindow2(&ppDisp, &Cancel);
    QTEST(Cancel == True, "cancelled");
    QTEST(!user32_.CallsOf(QStringLiteral("PostMessageA")).isEmpty(), "walked");
    QTEST(!user32_.CallsOf(QStringLiteral("SetForegroundWindow")).isEmpty(), "walked");
}

void PresentationTest::closesOnlyMarkedWindows()
{
    PresentationSettings.CloseOpenWindows = True;
    const auto form = Load(server_.Url(QStringLiteral("home.html")));
    const WindowHandle self = form->winId();
    user32_.windows = {
        {101, "Microsoft Internet Explorer"},
        {102, "Some page - Microsoft Internet Explorer"},
        {103, "some page - microsoft internet explorer"},
        {104, ""},
        {self, "Quillory"},
        {105, "Microsoft Internet Explorer first, then more"},
        {106, "Unreadable - Microsoft Internet Explorer"},
        {107, "Quillory - Microsoft Internet Explorer"},
        {108, "Microsoft Internet Explore"},
    };
    user32_.unreadable = {106};
    user32_.calls.clear();

    QObject* ppDisp = nullptr;
    Boolean Cancel = False;
    form->webBrowser_NewWindow2(&ppDisp, &Cancel);

    auto closeCalls = [](WindowHandle h) {
        return QStringList{QStringLiteral("PostMessageA %1 WM_CANCELMODE").arg(h),
                           QStringLiteral("PostMessageA %1 WM_CLOSE").arg(h)};
    };
    auto next = [](WindowHandle h) { return QStringLiteral("GetWindow %1 2").arg(h); };
    QStringList expected{QStringLiteral("GetWindow %1 0").arg(self)};
    expected << closeCalls(101) << next(101) << closeCalls(102) << next(102) << next(103) << next(104) << next(self)
             << closeCalls(105) << next(105) << next(106) << closeCalls(107) << next(107) << next(108)
             << QStringLiteral("SetForegroundWindow %1").arg(self);
    QCOMPARE(user32_.calls, expected);

    // No marked window at all: nothing is posted, the window still comes forward.
    user32_.windows = {{201, "Editor"}, {self, "Quillory"}};
    user32_.calls.clear();
    form->webBrowser_NewWindow2(&ppDisp, &Cancel);
    QCOMPARE(user32_.CallsOf(QStringLiteral("PostMessageA")), QStringList());
    QCOMPARE(user32_.calls.last(), QStringLiteral("SetForegroundWindow %1").arg(self));
}

void PresentationTest::refusesToBeClosed()
{
    const auto form = Load(server_.Url(QStringLiteral("home.html")));
    QTRY_VERIFY(form->isVisible());
    QVERIFY(!form->close());
    QVERIFY(form->isVisible());
}

QUILLORY_TEST_MAIN(PresentationTest)
#include "test_presentation.moc"
