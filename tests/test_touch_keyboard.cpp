// The on-screen keyboard in the presentation: shown for a page's field that a
// finger focused, with the page's area above it; under the exit prompt when a
// finger made the hot corner's gesture, typing into the prompt and never into
// the page; gone at the reset. Touches are Qt's own, sent to the window.

#include "Harness.h"
#include "KeyboardTaps.h"
#include "exit/frmPassword.h"
#include "platform/ProgramEnd.h"
#include "presentation/KeyboardDock.h"
#include "presentation/TouchPointer.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QPointingDevice>
#include <QScreen>

using namespace quillory;
using namespace quillory::modInitialise;
using harness::Letters;
using harness::Tap;

class TouchKeyboardTest : public QObject, harness::Presentation {
    Q_OBJECT
private slots:
    void init()
    {
        Start(30);
        PresentationSettings.Password = QStringLiteral("secret");
    }
    void cleanup()
    {
        qunsetenv("QUILLORY_KEYBOARD");
        frmPassword().close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Stop();
    }
    void aPageFieldTouchedBringsTheKeyboardBelowThePage();
    void theOperatorChoosesWhenItShows_data();
    void theOperatorChoosesWhenItShows();
    void aFingersGestureOpensThePromptWithTheKeyboard();
    void thePointerHidesAfterATouchUntilAMouseMoves();
    // Last: the program ends.
    void thePasswordTypedOnTheKeyboardEndsTheProgram();

private:
    OnScreenKeyboard& Keys() const { return *form_->Keyboard().Keyboard(); }
    // A finger pressed on the left strip and slid into the bottom-left corner.
    void TouchGesture()
    {
        static QPointingDevice* finger = QTest::createTouchDevice();
        const int bottom = form_->height() - 1;
        QTest::touchEvent(form_.get(), finger).press(0, QPoint(0, bottom / 2));
        QTest::touchEvent(form_.get(), finger).move(0, QPoint(0, bottom * 3 / 4));
        QTest::touchEvent(form_.get(), finger).move(0, QPoint(0, bottom));
        QTest::touchEvent(form_.get(), finger).release(0, QPoint(0, bottom));
    }
    QRect PageOnScreen() const
    {
        return QRect(form_->webBrowser->mapToGlobal(QPoint(0, 0)), form_->webBrowser->size()) & form_->geometry();
    }
};

void TouchKeyboardTest::aPageFieldTouchedBringsTheKeyboardBelowThePage()
{
    QVERIFY(Load());
    const QRect fullPage = PageOnScreen();
    // A field focused by the mouse or the keys: no keyboard.
    emit form_->webBrowser->TextFieldFocused(false, true);
    QVERIFY(!form_->Keyboard().Shown());

    // By a finger: docked along the primary screen's bottom, the page's area
    // ending where it begins.
    emit form_->webBrowser->TextFieldFocused(true, true);
    QVERIFY(form_->Keyboard().Shown());
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QRect keys = Keys().geometry();
    QCOMPARE(keys.bottom(), screen.bottom());
    QCOMPARE(keys.width(), screen.width());
    QVERIFY(keys.height() >= 4 * 48);
    QVERIFY2(!PageOnScreen().intersects(keys), "the page goes on under the keyboard");
    QVERIFY(PageOnScreen().bottom() >= keys.top() - 2);
    QCOMPARE(Keys().windowFlags() & Qt::WindowDoesNotAcceptFocus, Qt::WindowDoesNotAcceptFocus);

    // The field loses the focus: gone, and the page is whole again.
    emit form_->webBrowser->TextFieldLeft();
    QVERIFY(!form_->Keyboard().Shown());
    QCOMPARE(PageOnScreen(), fullPage);

    // Return in a one-line field ends the typing there; in a text area it does not.
    emit form_->webBrowser->TextFieldFocused(true, false);
    QVERIFY(Tap(Keys(), {"Enter \u23CE"}));
    QVERIFY(form_->Keyboard().Shown());
    emit form_->webBrowser->TextFieldFocused(true, true);
    QVERIFY(Tap(Keys(), {"Enter \u23CE"}));
    QVERIFY(!form_->Keyboard().Shown());

    // The hide key, and the reset, which always takes it away; each new
    // field starts on the letters.
    emit form_->webBrowser->TextFieldFocused(true, true);
    QVERIFY(Tap(Keys(), {"\u2328 \u25BE"}));
    QVERIFY(!form_->Keyboard().Shown());
    emit form_->webBrowser->TextFieldFocused(true, true);
    QVERIFY(Tap(Keys(), {"?123"}));
    QVERIFY(Keys().ShowsSymbols());
    for (int tick = 0; tick < 3; ++tick)
        form_->tmrTimeout_Timer();
    QVERIFY(!form_->Keyboard().Shown());
    QCOMPARE(PageOnScreen(), fullPage);
    emit form_->webBrowser->TextFieldFocused(true, true);
    QVERIFY(!Keys().ShowsSymbols());
}

void TouchKeyboardTest::theOperatorChoosesWhenItShows_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<bool>("forMouse");
    QTest::addColumn<bool>("forTouch");
    QTest::newRow("touch, the default") << QString() << false << true;
    QTest::newRow("always") << "always" << true << true;
    QTest::newRow("never") << "never" << false << false;
}

void TouchKeyboardTest::theOperatorChoosesWhenItShows()
{
    QFETCH(QString, mode);
    QFETCH(bool, forMouse);
    QFETCH(bool, forTouch);
    if (!mode.isEmpty())
        qputenv("QUILLORY_KEYBOARD", mode.toUtf8());
    QVERIFY(Load());
    emit form_->webBrowser->TextFieldFocused(false, true);
    QCOMPARE(form_->Keyboard().Shown(), forMouse);
    emit form_->webBrowser->TextFieldLeft();
    emit form_->webBrowser->TextFieldFocused(true, true);
    QCOMPARE(form_->Keyboard().Shown(), forTouch);
    emit form_->webBrowser->TextFieldLeft();
    // The mouse's gesture brings the keyboard under the prompt only where it
    // shows for any focus: there the touch screen passes for a mouse.
    harness::HotCorner(*form_);
    QTRY_VERIFY(frmPassword().isVisible());
    QCOMPARE(form_->Keyboard().Shown(), forMouse);
}

void TouchKeyboardTest::aFingersGestureOpensThePromptWithTheKeyboard()
{
    QVERIFY(Load());
    // The page's keyboard was up: from the gesture on it types into the prompt.
    emit form_->webBrowser->TextFieldFocused(true, true);
    TouchGesture();
    FrmPassword& prompt = frmPassword();
    QTRY_VERIFY(prompt.isVisible());
    QCOMPARE(form_->PasswordShown, True);
    QVERIFY(form_->Keyboard().Shown());
    QVERIFY2(!prompt.frameGeometry().intersects(Keys().geometry()), "the keyboard covers the prompt");
    harness::KeyCounter pageKeys(*form_->webBrowser);
    // A field of the page that takes the focus meanwhile takes nothing.
    emit form_->webBrowser->TextFieldFocused(true, true);
    QVERIFY(Tap(Keys(), Letters("wrong")));
    QCOMPARE(prompt.txtPassword->text(), QStringLiteral("wrong"));
    QVERIFY(Tap(Keys(), {"\u232B", "\u232B"}));
    QCOMPARE(prompt.txtPassword->text(), QStringLiteral("wro"));
    // A wrong password: the prompt hides, and the keyboard with it.
    QVERIFY(Tap(Keys(), {"Enter \u23CE"}));
    QVERIFY(!prompt.isVisible());
    QVERIFY(!form_->Keyboard().Shown());
    QCOMPARE(pageKeys.count, 0);
    // Opened again by a finger once the wait is over: the keyboard is back.
    TouchGesture();
    QTRY_VERIFY_WITH_TIMEOUT(prompt.isVisible(), 3000);
    QVERIFY(form_->Keyboard().Shown());
    // The reset hides the prompt, and the keyboard goes with it.
    for (int tick = 0; tick < 3; ++tick)
        form_->tmrTimeout_Timer();
    QVERIFY(!prompt.isVisible());
    QVERIFY(!form_->Keyboard().Shown());
}

void TouchKeyboardTest::thePointerHidesAfterATouchUntilAMouseMoves()
{
    QWidget window;
    window.setMouseTracking(true);  // as the presentation has
    window.resize(300, 300);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QStringList shown;
    TouchPointer pointer(&window, [&](bool show) { shown << (show ? "shown" : "hidden"); });
    static QPointingDevice* finger = QTest::createTouchDevice();
    QTest::touchEvent(&window, finger).press(0, QPoint(50, 50));
    QTest::touchEvent(&window, finger).move(0, QPoint(60, 60));
    QTest::touchEvent(&window, finger).release(0, QPoint(60, 60));
    QCOMPARE(shown, QStringList{"hidden"});
    QTest::mouseMove(window.windowHandle(), QPoint(100, 120));
    QCOMPARE(shown, (QStringList{"hidden", "shown"}));
    // The page tells of a finger on it, then of a mouse.
    pointer.PointerUsed(true);
    pointer.PointerUsed(true);
    pointer.PointerUsed(false);
    QCOMPARE(shown, (QStringList{"hidden", "shown", "hidden", "shown"}));
}

void TouchKeyboardTest::thePasswordTypedOnTheKeyboardEndsTheProgram()
{
    QVERIFY(Load());
    TouchGesture();
    QTRY_VERIFY(frmPassword().isVisible());
    harness::KeyCounter pageKeys(*form_->webBrowser);
    QVERIFY(Tap(Keys(), {"\u21E7"}));  // Shift: the password is checked in lower case
    QVERIFY(Tap(Keys(), Letters("Secret")));
    QVERIFY(!ProgramEnded());
    QVERIFY(Tap(Keys(), {"Enter \u23CE"}));
    QVERIFY(ProgramEnded());
    QCOMPARE(ProgramExitStatus(), 0);
    QCOMPARE(pageKeys.count, 0);
}

QUILLORY_TEST_MAIN(TouchKeyboardTest)
#include "test_touch_keyboard.moc"
