// Key codes: real key presses on a real X server, and other keyboard layouts.

#include "platform/KeyCodes.h"

#include <QApplication>
#include <QKeyEvent>
#include <QProcess>
#include <QWidget>
#include <QtTest>

using namespace quillory;

namespace {

// A window that remembers the virtual-key codes of the keys released on it.
class KeyWindow : public QWidget {
public:
    QList<int> released;
    QList<int> masks;

protected:
    void keyReleaseEvent(QKeyEvent* event) override
    {
        if (!event->isAutoRepeat()) {
            released << VirtualKeyCode(*event);
            masks << ShiftMask(event->modifiers());
        }
    }
};

bool Xdotool(const QStringList& arguments)
{
    return QProcess::execute(QStringLiteral("xdotool"), arguments) == 0;
}

}  // namespace

class KeyCodesTest : public QObject {
    Q_OBJECT
private slots:
    void realKeysOnX11_data();
    void realKeysOnX11();
    void otherLayoutsByPosition();
};

void KeyCodesTest::realKeysOnX11_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("mask");
    QTest::newRow("letter") << "d" << int('D') << 0;
    QTest::newRow("letter with shift") << "shift+d" << int('D') << 1;
    QTest::newRow("letter with alt") << "alt+p" << int('P') << 4;
    QTest::newRow("F6 with alt") << "alt+F6" << VK_F1 + 5 << 4;
    QTest::newRow("keypad 4") << "KP_4" << VK_NUMPAD0 + 4 << 0;
    QTest::newRow("enter") << "Return" << VK_RETURN << 0;
}

void KeyCodesTest::realKeysOnX11()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X server");
    QFETCH(QString, keys);
    KeyWindow window;
    window.resize(200, 100);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    // Modifiers held down around the key, as a person presses a combination.
    QStringList parts = keys.split(QLatin1Char('+'));
    const QString key = parts.takeLast();
    for (const QString& modifier : parts)
        QVERIFY(Xdotool({QStringLiteral("keydown"), modifier}));
    QVERIFY(Xdotool({QStringLiteral("key"), key}));
    for (const QString& modifier : parts)
        QVERIFY(Xdotool({QStringLiteral("keyup"), modifier}));
    QTRY_VERIFY(!window.released.isEmpty());
    // The key itself is released after any modifier xdotool let go of first
    // or last; find it among what was released.
    QFETCH(int, code);
    const int at = window.released.indexOf(code);
    QVERIFY2(at >= 0, qPrintable(QStringLiteral("released: %1").arg(
                          [&] { QStringList s; for (int c : window.released) s << QString::number(c); return s.join(','); }())));
    QTEST(window.masks.at(at), "mask");
}

void KeyCodesTest::otherLayoutsByPosition()
{
    // A Cyrillic letter on the D key, and a French sign on the 1 key: no
    // Latin keysym, no Qt key in the known ranges, so the key's US place names it.
    QCOMPARE(VirtualKeyFromKeysym(0x6c6), 0);  // Cyrillic_ef
    QCOMPARE(VirtualKeyFromQtKey(0x424, Qt::NoModifier), 0);
    QCOMPARE(VirtualKeyFromX11ScanCode(32 + 8), int('D'));
    QCOMPARE(VirtualKeyFromX11ScanCode(2 + 8), int('1'));
    QCOMPARE(VirtualKeyFromX11ScanCode(75 + 8), VK_NUMPAD0 + 4);
    QCOMPARE(VirtualKeyFromX11ScanCode(59 + 8), VK_F1);
    QCOMPARE(VirtualKeyFromX11ScanCode(0), 0);
    // Keypad digits from Qt alone (Windows and offscreen): the keypad flag decides.
    QCOMPARE(VirtualKeyFromQtKey(Qt::Key_4, Qt::KeypadModifier), VK_NUMPAD0 + 4);
    QCOMPARE(VirtualKeyFromQtKey(Qt::Key_4, Qt::NoModifier), int('4'));
}

QTEST_MAIN(KeyCodesTest)
#include "test_keycodes.moc"
