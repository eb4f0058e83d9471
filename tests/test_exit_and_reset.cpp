// The idle reset and the exit prompt, driven through their handlers with a
// recording desktop and real pages from a local server. The two ways the
// prompt ends the program are seen end to end, with real input.

#include "Harness.h"
#include "exit/RetryWait.h"
#include "exit/frmPassword.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <algorithm>
#include <memory>

using namespace quillory;
using namespace quillory::modInitialise;

class ExitAndResetTest : public QObject, harness::Presentation {
    Q_OBJECT
private slots:
    void init()
    {
        Start(30);
        PresentationSettings.Password = QStringLiteral("secret");
        PresentationSettings.CloseOpenWindows = True;  // each reset walks the windows: it shows in the calls
    }
    void cleanup()
    {
        frmPassword().close();  // unload it: every test starts with a fresh prompt
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Stop();
    }
    void resetThresholds_data();
    void resetThresholds();
    void navigationPutsTheResetOff();
    void onlyAPersonsNavigationsPutTheResetOff();
    void resetOrder();
    void resetReloadsAClosedPromptDespiteFailures();
    void hotCorner();
    void wrongPasswordHidesAndStays();

private:
    void VisitNextPage()
    {
        form_->webBrowser->Navigate(server_.Url(QStringLiteral("next.html")));
        QVERIFY(harness::WaitForCompletion(form_->webBrowser, server_.Url(QStringLiteral("next.html"))));
    }
    // The address the page was last sent to, known as soon as the navigation starts.
    QString CurrentUrl() const { return harness::ViewOf(form_->webBrowser)->page()->requestedUrl().toString(); }
};

void ExitAndResetTest::resetThresholds_data()
{
    QTest::addColumn<float>("delay");
    QTest::addColumn<int>("ticks");  // 0: never
    QTest::newRow("10 s") << 10.0f << 1;
    QTest::newRow("25 s acts as 20") << 25.0f << 2;
    QTest::newRow("15 s from the dialog acts as 10") << 15.0f << 1;
    QTest::newRow("longest") << 32760.0f << 3276;
    QTest::newRow("0 s never") << 0.0f << 0;
    QTest::newRow("9 s never") << 9.0f << 0;
}

void ExitAndResetTest::resetThresholds()
{
    QFETCH(float, delay);
    QFETCH(int, ticks);
    PresentationSettings.MinDelay = delay;
    QVERIFY(Load());
    user32_.calls.clear();
    for (int tick = 1; tick < (ticks ? ticks : 40000); ++tick) {
        form_->tmrTimeout_Timer();
        QCOMPARE(int(form_->TickCount), std::min(tick, 32767));  // stops at the top instead of wrapping
    }
    QVERIFY(user32_.calls.isEmpty());
    if (ticks == 0)
        return;
    form_->tmrTimeout_Timer();
    QCOMPARE(int(form_->TickCount), 0);
    QCOMPARE(user32_.CallsOf(QStringLiteral("SetForegroundWindow")).size(), 1);
}

void ExitAndResetTest::navigationPutsTheResetOff()
{
    QVERIFY(Load());
    form_->tmrTimeout_Timer();
    form_->tmrTimeout_Timer();  // one tick before the reset
    VisitNextPage();
    QCOMPARE(int(form_->TickCount), 0);

    user32_.calls.clear();
    for (int tick = 0; tick < 2; ++tick)
        form_->tmrTimeout_Timer();
    QVERIFY(user32_.calls.isEmpty());
    form_->tmrTimeout_Timer();
    QCOMPARE(user32_.CallsOf(QStringLiteral("SetForegroundWindow")).size(), 1);
}

// A navigation that completes with nobody at the kiosk restarts nothing; a
// key, button, wheel or touch within the delay before it makes it count, and
// the homepage's arrival after a reset counts whoever is there.
void ExitAndResetTest::onlyAPersonsNavigationsPutTheResetOff()
{
    const std::uint32_t delay = 3 * 3600 * 1000;  // 30 s: three ticks of the tests' hour
    QVERIFY(Load());
    const struct {
        const char* name;
        std::uint32_t now, lastInput;
        bool unknown, counts;
    } cases[] = {
        {"nobody within the delay", 5 * delay, 4 * delay - 1, false, false},
        {"a person as the delay began", 5 * delay, 4 * delay, false, true},
        {"a person just now", 5 * delay, 5 * delay, false, true},
        {"no telling whether anybody is there", 5 * delay, 0, true, true},
        {"a person, across the clock's wrap", 100, 0xFFFFFF00u, false, true},
        {"nobody, across the clock's wrap", 100, 0xFFFFFFFFu - delay, false, false},
    };
    for (const auto& c : cases) {
        user32_.tickCount = c.now;
        user32_.lastInput = c.lastInput;
        user32_.inputUnknown = c.unknown;
        form_->TickCount = 0;
        form_->tmrTimeout_Timer();
        VisitNextPage();
        QVERIFY2(form_->TickCount == (c.counts ? 0 : 1), c.name);
    }

    // Nobody there: the reset's homepage restarts the timer, the page's own
    // navigations after it do not.
    user32_.tickCount = 5 * delay;
    user32_.lastInput = 0;
    QSignalSpy completed(form_->webBrowser, &WebBrowser::NavigateComplete2);
    QTest::qWait(1200);
    const int beforeTheReset = form_->tmrTimeout->remainingTime();
    form_->TickCount = 2;
    form_->tmrTimeout_Timer();
    QTRY_VERIFY_WITH_TIMEOUT(harness::CompletedUrls(completed).contains(PresentationSettings.HomepageURL), 15000);
    QVERIFY(form_->tmrTimeout->remainingTime() > beforeTheReset);
    form_->tmrTimeout_Timer();
    VisitNextPage();
    QCOMPARE(int(form_->TickCount), 1);
}

// The reset sends the page home, then walks the windows with the prompt
// still up, then hides the prompt; the completion, not the reset, restarts
// the timer.
void ExitAndResetTest::resetOrder()
{
    PresentationSettings.MinDelay = 10;
    QVERIFY(Load());
    VisitNextPage();
    harness::HotCorner(*form_);
    QVERIFY(frmPassword().isVisible());
    QCOMPARE(form_->PasswordShown, True);

    QString urlWhenWalking;
    bool promptUpWhenWalking = false;
    user32_.observer = [&](const QString& call) {
        if (call.startsWith(QLatin1String("GetWindow")) && call.endsWith(QLatin1String(" 0"))) {
            urlWhenWalking = CurrentUrl();
            promptUpWhenWalking = frmPassword().isVisible();
        }
    };
    QSignalSpy completed(form_->webBrowser, &WebBrowser::NavigateComplete2);
    QTest::qWait(1200);
    form_->tmrTimeout_Timer();
    QCOMPARE(urlWhenWalking, PresentationSettings.HomepageURL);
    QVERIFY(promptUpWhenWalking);
    QVERIFY(!frmPassword().isVisible());
    QCOMPARE(form_->PasswordShown, False);
    const int afterTheReset = form_->tmrTimeout->remainingTime();
    QVERIFY(afterTheReset < 3599 * 1000);
    QTRY_COMPARE_WITH_TIMEOUT(harness::CompletedUrls(completed), QStringList{PresentationSettings.HomepageURL}, 15000);
    QVERIFY(form_->tmrTimeout->remainingTime() > afterTheReset);
}

// A prompt unloaded by its close box is loaded afresh and kept hidden, and a
// failing step of the closing walk stops nothing after it.
void ExitAndResetTest::resetReloadsAClosedPromptDespiteFailures()
{
    PresentationSettings.MinDelay = 10;
    QVERIFY(Load());
    harness::HotCorner(*form_);
    frmPassword().txtPassword->setText(QStringLiteral("typed"));
    frmPassword().close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(form_->PasswordShown, True);

    user32_.failingCalls = {QStringLiteral("GetWindow")};
    form_->tmrTimeout_Timer();
    user32_.failingCalls.clear();
    QCOMPARE(int(form_->TickCount), 0);
    QCOMPARE(form_->PasswordShown, False);
    QVERIFY(!frmPassword().isVisible());
    QCOMPARE(frmPassword().txtPassword->text(), QString());
    QCOMPARE(user32_.CallsOf(QStringLiteral("SetForegroundWindow")).size(), 1);
}

void ExitAndResetTest::hotCorner()
{
    struct Move {
        const char* name;
        std::int16_t button, shift;
        float x, fromBottom;  // Y = Height - fromBottom
        bool opens;
    };
    const Move moves[] = {
        {"left button in the corner", 1, 0, 0, 1, true},
        {"just inside both edges", 1, 0, 19.5f, 19.5f, true},
        {"X exactly 20", 1, 0, 20, 1, false},
        {"Y exactly Height - 20", 1, 0, 0, 20, false},
        {"right button", 2, 0, 0, 1, false},
        {"left and right", 3, 0, 0, 1, false},
        {"no button", 0, 0, 0, 1, false},
        {"left with Shift", 1, 1, 0, 1, true},
        {"top-left corner", 1, 0, 0, 10000, false},
    };
    QVERIFY(Load());
    for (const Move& move : moves) {
        form_->Form_MouseMove(move.button, move.shift, move.x, form_->Height() - move.fromBottom);
        QVERIFY2((form_->PasswordShown == True) == move.opens, move.name);
        QVERIFY2(frmPassword().isVisible() == move.opens, move.name);
        frmPassword().Hide();
        form_->PasswordShown = False;
    }
    QCOMPARE(user32_.CallsOf(QStringLiteral("SystemParametersInfoA")).size(), 1);  // only the lock at load
}

void ExitAndResetTest::wrongPasswordHidesAndStays()
{
    QVERIFY(Load());
    harness::HotCorner(*form_);
    FrmPassword& prompt = frmPassword();
    QTRY_VERIFY(prompt.isVisible());
    QCOMPARE(prompt.focusWidget(), prompt.txtPassword);
    // Keys that reach the page's control, as with the focus still there, go
    // to the prompt; the page sees none.
    harness::KeyCounter pageKeys(*form_->webBrowser);
    QTest::keyClicks(form_->webBrowser, QStringLiteral("ab"));
    QCOMPARE(prompt.txtPassword->text(), QStringLiteral("ab"));

    // Each wrong password makes the prompt wait twice as long, up to a minute.
    QCOMPARE(RetryWait::WaitAfter(0), 0);
    QCOMPARE(RetryWait::WaitAfter(1), 1000);
    QCOMPARE(RetryWait::WaitAfter(3), 4000);
    QCOMPARE(RetryWait::WaitAfter(7), 60000);
    QCOMPARE(RetryWait::WaitAfter(1 << 30), 60000);

    // A wrong password: hidden. The corner opens it again only when the wait
    // is over; keys typed meanwhile go nowhere.
    QTest::keyClick(prompt.txtPassword, Qt::Key_Return);
    QVERIFY(!prompt.isVisible());
    QElapsedTimer waited;
    waited.start();
    harness::HotCorner(*form_);
    QVERIFY(!prompt.isVisible());
    QTest::keyClicks(form_->webBrowser, QStringLiteral("secret"));
    QTRY_VERIFY_WITH_TIMEOUT(prompt.isVisible(), 3000);
    QVERIFY(waited.elapsed() >= 900);
    QCOMPARE(prompt.txtPassword->text(), QStringLiteral("ab"));
    QCOMPARE(pageKeys.count, 0);

    // A wrong entry, cut at eight masked characters: hidden, and still there
    // when the corner opens it again. Hiding it, as the reset does, calls off
    // the show that waits.
    QTest::keyClicks(prompt.txtPassword, QStringLiteral("wrong6789"));
    QCOMPARE(prompt.txtPassword->displayText(), QStringLiteral("********"));
    QTest::keyClick(prompt.txtPassword, Qt::Key_Enter);
    QVERIFY(!prompt.isVisible());
    QCOMPARE(form_->PasswordShown, True);
    harness::HotCorner(*form_);
    prompt.Hide();
    QTest::qWait(2500);
    QVERIFY(!prompt.isVisible());
    harness::HotCorner(*form_);
    QVERIFY(prompt.isVisible());
    QCOMPARE(prompt.txtPassword->text(), QStringLiteral("wrong678"));
    // All selected, so that the next entry replaces a box filled to its limit.
    QCOMPARE(prompt.txtPassword->selectedText(), QStringLiteral("wrong678"));
    QTest::keyClicks(prompt.txtPassword, QStringLiteral("ab"));
    QCOMPARE(prompt.txtPassword->text(), QStringLiteral("ab"));
    // Minimised or moved off the screen, it comes back whole and on the screen.
    prompt.showMinimized();
    prompt.move(-5000, -5000);
    harness::HotCorner(*form_);
    QVERIFY(prompt.isVisible());
    QVERIFY(!prompt.isMinimized());
    QVERIFY(QGuiApplication::primaryScreen()->virtualGeometry().contains(prompt.frameGeometry()));
    QCOMPARE(user32_.CallsOf(QStringLiteral("SystemParametersInfoA")),
             QStringList{QStringLiteral("SystemParametersInfoA 97 TRUE 0")});
}

QUILLORY_TEST_MAIN(ExitAndResetTest)
#include "test_exit_and_reset.moc"
