// Key codes: real key presses on a real X server, and other keyboard layouts.

#include "platform/KeyCodes.h"

#include <QApplication>
#include <QKeyEvent>
#include <QProcess>
#include <QWidget>
#include <QtTest>

using namespace quillory;

namespace {

// A window that remembers the virtual-key code and shift mask of each key released on it.
class KeyWindow : public QWidget {
public:
    QList<QPair<int, int>> released;

protected:
    void keyReleaseEvent(QKeyEvent* event) override
    {
        if (!event->isAutoRepeat())
            released << qMakePair(VirtualKeyCode(*event), ShiftMask(event->modifiers()));
    }
};

bool Xdotool(const QString& command, const QString& key)
{
    return QProcess::execute(QStringLiteral("xdotool"), {command, key}) == 0;
}

}  // namespace

class KeyCodesTest : public QObject {
    Q_OBJECT
private slots:
    void realKeysOnX11();
    void otherLayoutsByPosition();
};

void KeyCodesTest::realKeysOnX11()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X server");
    KeyWindow window;
    window.resize(200, 100);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    const struct {
        const char* keys;
        int code;
        int mask;
    } presses[] = {{"d", 'D', 0},
                   {"shift+d", 'D', 1},
                   {"alt+p", 'P', 4},
                   {"alt+F6", VK_F1 + 5, 4},
                   {"KP_4", VK_NUMPAD0 + 4, 0},
                   {"Return", VK_RETURN, 0}};
    for (const auto& press : presses) {
        // Modifiers held down around the key, as a person presses a combination.
        QStringList modifiers = QString::fromLatin1(press.keys).split(QLatin1Char('+'));
        const QString key = modifiers.takeLast();
        for (const QString& modifier : modifiers)
            QVERIFY(Xdotool(QStringLiteral("keydown"), modifier));
        QVERIFY(Xdotool(QStringLiteral("key"), key));
        for (const QString& modifier : modifiers)
            QVERIFY(Xdotool(QStringLiteral("keyup"), modifier));
        // The key itself is released after any modifier xdotool let go of
        // first or last; find it among what was released.
        QTRY_VERIFY2(window.released.contains(qMakePair(press.code, press.mask)), press.keys);
        window.released.clear();
    }
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
