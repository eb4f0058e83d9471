// The homepage's picture at a return home, on the engine QUILLORY_ENGINE
// names (registered for both): on the screen over the control at once, of
// the homepage and never of a visitor's page, until the new homepage has
// completed and is drawn; the hot corner works meanwhile.

#include "Harness.h"
#include "exit/frmPassword.h"
#include "presentation/StillPicture.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QScreen>

using namespace quillory;
using namespace quillory::modInitialise;

namespace {

// What the X server shows in a rectangle of the screen now.
QImage OnScreen(const QRect& area)
{
    return QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()).toImage();
}

// Alike at nearly every 8th pixel each way: a caret or an edge may differ.
bool Alike(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return false;
    long same = 0, looked = 0;
    for (int y = 0; y < a.height(); y += 8) {
        for (int x = 0; x < a.width(); x += 8, ++looked)
            same += (a.pixel(x, y) & 0xffffff) == (b.pixel(x, y) & 0xffffff);
    }
    return same >= looked * 98 / 100;
}

// The number of the form's completed loads when the picture last hid.
struct HideWatch : QObject {
    HideWatch(QWidget& picture, const QSignalSpy& loads) : loads_(loads) { picture.installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Hide)
            loadsAtHide = loads_.size();
        return false;
    }
    const QSignalSpy& loads_;
    qsizetype loadsAtHide = -1;
};

}  // namespace

class HomepagePictureTest : public QObject, harness::Presentation {
    Q_OBJECT
private slots:
    void init()
    {
        Start(10);  // a reset at the first tick
        PresentationSettings.Password = QStringLiteral("secret");
        user32_.tickCount = 100000;
        user32_.lastInput = 1000;  // nobody there
    }
    void cleanup()
    {
        frmPassword().close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Stop();
    }
    void coversTheControlFromTheTickUntilTheHomepageIsDrawn();
    void neverOfAVisitorsPage();

private:
    StillPicture* Picture() const { return form_->findChild<StillPicture*>(QStringLiteral("homepagePicture")); }
    // The part of the control on the screen.
    QRect Shown() const { return form_->webBrowser->geometry() & form_->rect(); }
    void ReturnHome()
    {
        form_->TickCount = 0;
        form_->tmrTimeout_Timer();
        QCOMPARE(form_->TickCount, std::int16_t(0));
    }
};

void HomepagePictureTest::coversTheControlFromTheTickUntilTheHomepageIsDrawn()
{
    QVERIFY(Load());
    QTRY_VERIFY_WITH_TIMEOUT(Picture(), 20000);
    const QImage home = Picture()->Picture().toImage();
    QTRY_VERIFY_WITH_TIMEOUT(Alike(OnScreen(Shown()), home), 10000);

    // A visitor goes elsewhere, and leaves.
    user32_.lastInput = user32_.tickCount;
    form_->Navigate(server_.Url(QStringLiteral("next.html")));
    QVERIFY(harness::WaitForCompletion(form_->webBrowser, server_.Url(QStringLiteral("next.html"))));
    QTRY_VERIFY_WITH_TIMEOUT(!Alike(OnScreen(Shown()), home), 10000);
    user32_.tickCount += 20000;

    QSignalSpy loads(form_.get(), &FrmBrowser::DocumentComplete);
    HideWatch watch(*Picture(), loads);
    ReturnHome();
    // Before anything else runs: the homepage on the screen, over the control only.
    QVERIFY(Alike(OnScreen(Shown()), home));
    QCOMPARE(Picture()->geometry(), Shown());
    const QRect strip(0, 0, Shown().left(), form_->height());
    QVERIFY(!strip.isEmpty() && !Picture()->geometry().intersects(strip));
    QVERIFY(!Alike(OnScreen(strip), home.copy(0, 0, strip.width(), strip.height())));

    // The hot corner, with real input, opens the exit prompt while the picture shows.
    const QString bottom = QString::number(form_->height() - 1);
    QCOMPARE(QProcess::execute(QStringLiteral("xdotool"),
                               {"mousemove", "0", "300", "mousedown", "1", "mousemove", "0", bottom}),
             0);
    QTRY_VERIFY(frmPassword().isVisible());
    QVERIFY(Picture()->isVisible());
    QCOMPARE(QProcess::execute(QStringLiteral("xdotool"), {"mouseup", "1"}), 0);
    frmPassword().Hide();

    // Until the live page replaces it, once the homepage has completed and is
    // drawn, the screen shows the homepage: never the new browser's window,
    // blank, over the picture.
    QElapsedTimer covered;
    covered.start();
    while (Picture()->isVisible() && covered.elapsed() < 40000) {
        QVERIFY(Alike(OnScreen(Shown()), home));
        QTest::qWait(50);
    }
    QVERIFY(!Picture()->isVisible());
    QVERIFY(watch.loadsAtHide >= 1);
    QVERIFY(Alike(OnScreen(Shown()), home));
}

void HomepagePictureTest::neverOfAVisitorsPage()
{
    // A person touches the kiosk the moment the homepage is asked for: what
    // is drawn then may be theirs already.
    user32_.lastInput = user32_.tickCount;
    QVERIFY(Load());
    QSignalSpy loads(form_.get(), &FrmBrowser::DocumentComplete);
    form_->Navigate(server_.Url(QStringLiteral("next.html")));
    QVERIFY(harness::WaitForCompletion(form_->webBrowser, server_.Url(QStringLiteral("next.html"))));
    QTRY_VERIFY_WITH_TIMEOUT(loads.size() >= 1, 10000);
    QTest::qWait(3000);  // longer than the homepage is given to be drawn
    QVERIFY(!Picture());

    // At a later return home nobody is there: the homepage's picture is taken then.
    user32_.tickCount += 20000;
    ReturnHome();
    QTRY_VERIFY_WITH_TIMEOUT(Picture(), 20000);
    QVERIFY(Alike(Picture()->Picture().toImage(), OnScreen(Shown())));
    const QImage home = Picture()->Picture().toImage();
    QCOMPARE(home.pixel(home.width() / 2, home.height() - 20) & 0xffffff, 0x2a7d2au);
}

QUILLORY_TEST_MAIN(HomepagePictureTest)
#include "test_homepage_picture.moc"
