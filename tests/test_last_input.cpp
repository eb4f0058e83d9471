// When a person last used the machine, as the X server reports it: keys,
// buttons and the wheel count from anywhere on the screen, also where no
// window of this program is and while the keyboard is grabbed; a pointer
// that only moves does not.

#include "platform/User32Provider.h"

#include <QProcess>
#include <QWidget>
#include <QtTest>

using namespace quillory;

class LastInputTest : public QObject {
    Q_OBJECT
private slots:
    void keysButtonsAndTheWheelCount();
};

namespace {

std::uint32_t LastInput()
{
    LASTINPUTINFO info;
    return SystemUser32().GetLastInputInfo(&info) ? info.dwTime : 0xFFFFFFFFu;
}

}  // namespace

void LastInputTest::keysButtonsAndTheWheelCount()
{
    User32& user32 = SystemUser32();
    // Nothing since the watch began: as long ago as the clock's start.
    std::uint32_t last = LastInput();
    QCOMPARE(last, 0u);
    // Keys count while the keyboard is grabbed, as the exit password's lock grabs it.
    QWidget window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.grabKeyboard();

    for (const QStringList& input : {QStringList{"key", "shift"}, QStringList{"mousemove", "40", "40", "click", "1"},
                                     QStringList{"click", "4"}, QStringList{"key", "a"}}) {
        QTest::qWait(20);  // the clock moves on between inputs
        QCOMPARE(QProcess::execute(QStringLiteral("xdotool"), input), 0);
        QTRY_VERIFY2(LastInput() != last, qPrintable(input.join(' ')));
        last = LastInput();
        QVERIFY(user32.GetTickCount() - last < 1000);
    }
    QCOMPARE(QProcess::execute(QStringLiteral("xdotool"), {"mousemove", "300", "300"}), 0);
    QTest::qWait(500);  // a move that counted would show by now
    QCOMPARE(LastInput(), last);
}

QTEST_MAIN(LastInputTest)
#include "test_last_input.moc"
