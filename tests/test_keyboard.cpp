// The on-screen keyboard: its layouts as files, and typing on it with the
// pointer, as a finger's emulated pointer presses its keys.

#include "platform/keyboard/KeyboardLayout.h"
#include "platform/keyboard/OnScreenKeyboard.h"
#include "KeyboardTaps.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace quillory;
using harness::Letters;
using harness::ShownKey;
using harness::Tap;

namespace {

const QString kLayouts = QStringLiteral(QUILLORY_TESTS_DIR "/../resources/keyboards/");

// What the keyboard sends, in one string: characters as they are, keys as <Name>.
class Typed : public QObject {
public:
    explicit Typed(OnScreenKeyboard& keyboard)
    {
        connect(&keyboard, &OnScreenKeyboard::TextTyped, this, [this](const QString& text) { all += text; });
        connect(&keyboard, &OnScreenKeyboard::KeyTyped, this, [this](Qt::Key key) {
            all += key == Qt::Key_Backspace ? "<BS>"
                   : key == Qt::Key_Return  ? "<Enter>"
                   : key == Qt::Key_Tab     ? "<Tab>"
                   : key == Qt::Key_Left    ? "<Left>"
                   : key == Qt::Key_Right   ? "<Right>"
                                            : "<?>";
        });
    }
    QString all;
};

std::unique_ptr<OnScreenKeyboard> ShownKeyboard(const QString& file)
{
    const std::optional<KeyboardLayout> layout = KeyboardLayout::Load(kLayouts + file);
    if (!layout)
        return nullptr;
    auto keyboard = std::make_unique<OnScreenKeyboard>(*layout);
    keyboard->resize(1024, keyboard->height());
    keyboard->show();
    if (!QTest::qWaitForWindowExposed(keyboard.get()))
        return nullptr;
    return keyboard;
}

}  // namespace

class KeyboardTest : public QObject {
    Q_OBJECT
private slots:
    void shippedLayoutsLoad_data();
    void shippedLayoutsLoad();
    void brokenLayoutsAreRefused_data();
    void brokenLayoutsAreRefused();
    void typesAnAddressWithBothLayers();
    void shiftHoldsForOneCharacterOrUntilTappedAgain();
    void keysAreBigEnoughForAFinger();
};

void KeyboardTest::shippedLayoutsLoad_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("mustType");
    QTest::newRow("us") << "us.layout"
                        << "English (US)"
                        << "qwertyuiopasdfghjklzxcvbnm0123456789@.-_/:?!,'\"()&%+=#";
    QTest::newRow("de") << "de.layout"
                        << "Deutsch"
                        << "qwertzuiopüasdfghjklöäyxcvbnmß0123456789@.-_/:?!,'\"()&%+=#";
}

// Every character an e-mail or web address needs is on some key.
void KeyboardTest::shippedLayoutsLoad()
{
    QFETCH(QString, file);
    QFETCH(QString, name);
    QFETCH(QString, mustType);
    QString error;
    const std::optional<KeyboardLayout> layout = KeyboardLayout::Load(kLayouts + file, &error);
    QVERIFY2(layout, qPrintable(error));
    QCOMPARE(layout->name, name);
    QString typable;
    for (const QList<KeyboardRow>* layer : {&layout->letters, &layout->symbols}) {
        for (const KeyboardRow& row : *layer) {
            for (const KeyboardKey& key : row)
                typable += key.lower + key.upper;
        }
    }
    for (const QChar c : mustType)
        QVERIFY2(typable.contains(c), qPrintable(QStringLiteral("no key types %1").arg(c)));
}

void KeyboardTest::brokenLayoutsAreRefused_data()
{
    const QString good = QStringLiteral("[letters]\na {symbols} {hide}\n[symbols]\n1 {letters} {hide}\n");
    QTest::addColumn<QString>("text");
    QTest::newRow("good") << QString();  // the base itself loads
    QTest::newRow("unknown name") << QString(good).replace("{hide}\n[", "{escape}\n[");
    QTest::newRow("no hide key") << QString(good).replace("1 {letters} {hide}", "1 {letters}");
    QTest::newRow("no way back") << QString(good).replace("1 {letters}", "1");
    QTest::newRow("keys before a layer") << "q\n" + good;
    QTest::newRow("too wide") << QString(good).replace("{symbols}", "{symbols:40}");
    QTest::newRow("too many keys") << QString(good).replace("a ", QStringLiteral("a ").repeated(20));
    QTest::newRow("a word for a key") << QString(good).replace("a ", "abc ");
    QTest::newRow("layer twice") << good + "[letters]\nb {symbols} {hide}\n";
}

void KeyboardTest::brokenLayoutsAreRefused()
{
    QFETCH(QString, text);
    const QString good = QStringLiteral("[letters]\na {symbols} {hide}\n[symbols]\n1 {letters} {hide}\n");
    QString error;
    const std::optional<KeyboardLayout> layout = KeyboardLayout::Parse(text.isNull() ? good : text, &error);
    QCOMPARE(layout.has_value(), text.isNull());
    QCOMPARE(error.isEmpty(), text.isNull());
}

void KeyboardTest::typesAnAddressWithBothLayers()
{
    const std::unique_ptr<OnScreenKeyboard> keyboard = ShownKeyboard(QStringLiteral("us.layout"));
    QVERIFY(keyboard);
    Typed typed(*keyboard);
    QSignalSpy hidden(keyboard.get(), &OnScreenKeyboard::HideAsked);
    // kioks, Backspace twice, sk: a slip mended.
    QVERIFY(Tap(*keyboard, Letters("kioks")));
    QVERIFY(Tap(*keyboard, {"\u232B", "\u232B"}));
    QVERIFY(Tap(*keyboard, Letters("sk@example.org")));
    QCOMPARE(typed.all, "kioks<BS><BS>sk@example.org");
    // The symbols layer: its keys show only once it is chosen, and it stays
    // until the letters are chosen again.
    typed.all.clear();
    QVERIFY(!ShownKey(*keyboard, "#"));
    QVERIFY(Tap(*keyboard, {"?123", "#", "_", "&", "ABC", "q"}));
    QCOMPARE(typed.all, "#_&q");
    QVERIFY(!keyboard->ShowsSymbols());
    typed.all.clear();
    QVERIFY(Tap(*keyboard, {"Tab \u21E5", "\u25C0", "\u25B6", "Enter \u23CE"}));
    QVERIFY(Tap(*keyboard, {""}));  // the space bar
    QCOMPARE(typed.all, "<Tab><Left><Right><Enter> ");
    QVERIFY(Tap(*keyboard, {"\u2328 \u25BE"}));
    QCOMPARE(hidden.count(), 1);
    // A new field starts on the letters.
    QVERIFY(Tap(*keyboard, {"?123"}));
    keyboard->Reset();
    QVERIFY(!keyboard->ShowsSymbols());
}

void KeyboardTest::shiftHoldsForOneCharacterOrUntilTappedAgain()
{
    const std::unique_ptr<OnScreenKeyboard> keyboard = ShownKeyboard(QStringLiteral("de.layout"));
    QVERIFY(keyboard);
    Typed typed(*keyboard);
    QVERIFY(Tap(*keyboard, {"\u21E7", "K", "i", "ß"}));
    QCOMPARE(typed.all, "Kiß");
    QVERIFY(!keyboard->Shifted());
    // Two quick taps lock it; a third frees it.
    typed.all.clear();
    QVERIFY(Tap(*keyboard, {"\u21E7", "\u21E7"}));
    QVERIFY(keyboard->CapsLocked());
    QVERIFY(Tap(*keyboard, {"Ü", "Ö", "?", "\u21EA", "a"}));  // the lock shows as such
    QCOMPARE(typed.all, "ÜÖ?a");
    QVERIFY(!keyboard->Shifted());
    // Two slow taps are one tap each: shift on, then off.
    QVERIFY(Tap(*keyboard, {"\u21E7"}));
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    QVERIFY(Tap(*keyboard, {"\u21E7"}));
    QVERIFY(!keyboard->Shifted());
}

void KeyboardTest::keysAreBigEnoughForAFinger()
{
    const std::unique_ptr<OnScreenKeyboard> keyboard = ShownKeyboard(QStringLiteral("de.layout"));
    QVERIFY(keyboard);
    QCOMPARE(keyboard->logicalDpiY(), 96);
    for (QPushButton* key : keyboard->findChildren<QPushButton*>()) {
        if (!key->isVisible())
            continue;
        // The key as drawn, within its margin of 3 pixels a side.
        QVERIFY2(key->width() - 6 >= 48 && key->height() - 6 >= 48, qPrintable(key->text()));
    }
    if (const QByteArray shot = qgetenv("QUILLORY_SCREENSHOT"); !shot.isEmpty())
        keyboard->grab().save(QString::fromLocal8Bit(shot));
}

QTEST_MAIN(KeyboardTest)
#include "test_keyboard.moc"
