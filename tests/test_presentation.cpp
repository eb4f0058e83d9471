// The presentation window: its place on the screen, the first navigation
// offline and the new-window policy with its closing walk.

#include "Harness.h"

#include <QScreen>
#include <memory>

using namespace quillory;
using namespace quillory::modInitialise;

class PresentationTest : public QObject, harness::Presentation {
    Q_OBJECT
private slots:
    void init() { Start(30); }
    void cleanup() { Stop(); }
    void coversTheScreen();
    void offlineBeforeTheFirstNavigation();
    void newWindowsAreRefusedAndOnlyMarkedWindowsClosed();
};

void PresentationTest::coversTheScreen()
{
    Load(false);
    // The control leaves a strip of at least one pixel on the left and runs
    // past the other three edges.
    QTRY_VERIFY(form_->isVisible());
    QCOMPARE(form_->geometry(), QGuiApplication::primaryScreen()->virtualGeometry());
    const QRect control = form_->webBrowser->geometry();
    QVERIFY(control.left() >= 1);
    QVERIFY(control.top() <= 0);
    QVERIFY(control.right() >= form_->width() - 1);
    QVERIFY(control.bottom() >= form_->height() - 1);
}

void PresentationTest::offlineBeforeTheFirstNavigation()
{
    // The homepage was never cached: offline, even the first navigation must
    // not reach the server.
    PresentationSettings.WorkOffline = True;
    PresentationSettings.HomepageURL = server_.Url(QStringLiteral("home.html?first"));
    Load(false);
    QSignalSpy completed(form_->webBrowser, &WebBrowser::NavigateComplete2);
    QTRY_COMPARE_WITH_TIMEOUT(completed.size(), 1, 15000);
    QVERIFY(harness::CompletedUrls(completed).first().startsWith(QLatin1String("chrome-error:")));
    QCOMPARE(server_.Requests(), QStringList());
}

void PresentationTest::newWindowsAreRefusedAndOnlyMarkedWindowsClosed()
{
    Load(false);
    const WindowHandle self = form_->winId();
    user32_.windows = {{101, "Microsoft Internet Explorer"}, {self, "Quillory"}};
    QObject* ppDisp = nullptr;
    Boolean Cancel = False;

    // As the command line leaves it: refused, and other windows left alone.
    form_->webBrowser_NewWindow2(&ppDisp, &Cancel);
    QCOMPARE(Cancel, True);
    QCOMPARE(user32_.calls, QStringList());

    // Allowed, and closing the others: the walk asks exactly the marked ones,
    // skips a title that cannot be read and brings the presentation forward.
    PresentationSettings.AllowNewWindows = True;
    PresentationSettings.CloseOpenWindows = True;
    user32_.windows = {{101, "Microsoft Internet Explorer"},
                       {102, "microsoft internet explorer"},
                       {103, ""},
                       {self, "Quillory"},
                       {104, "Unreadable - Microsoft Internet Explorer"},
                       {105, "Quillory - Microsoft Internet Explorer"},
                       {106, "Microsoft Internet Explore"}};
    user32_.unreadable = {104};
    Cancel = False;
    form_->webBrowser_NewWindow2(&ppDisp, &Cancel);
    QCOMPARE(Cancel, False);

    auto closeCalls = [](WindowHandle h) {
        return QStringList{QStringLiteral("PostMessageA %1 WM_CANCELMODE").arg(h),
                           QStringLiteral("PostMessageA %1 WM_CLOSE").arg(h)};
    };
    auto next = [](WindowHandle h) { return QStringLiteral("GetWindow %1 2").arg(h); };
    QStringList expected{QStringLiteral("GetWindow %1 0").arg(self)};
    expected << closeCalls(101) << next(101) << next(102) << next(103) << next(self) << next(104) << closeCalls(105)
             << next(105) << next(106) << QStringLiteral("SetForegroundWindow %1").arg(self);
    QCOMPARE(user32_.calls, expected);
}

QUILLORY_TEST_MAIN(PresentationTest)
#include "test_presentation.moc"
