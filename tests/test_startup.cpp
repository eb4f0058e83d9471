// Start-up: the command line read into the settings, and the rule for
// numbers. The fuzz targets check both rules as properties over any input;
// the rows here pin the decisions a property cannot know: examples of
// delays, the trimming of the last field, and which password is kept.

#include "Harness.h"
#include "startup/NumberText.h"

using namespace quillory;
using namespace quillory::modInitialise;

namespace {

struct Outcome {
    QString url;
    float delay;
    bool allowNewWindows, workOffline, closeOpenWindows;
    QString password;
    bool dialog;
};

Outcome Read(const QString& commandLine)
{
    harness::ResetSettings();
    CommandLine = commandLine;
    const bool dialog = ReadCommandLine();
    return {PresentationSettings.HomepageURL,
            PresentationSettings.MinDelay,
            PresentationSettings.AllowNewWindows == True,
            PresentationSettings.WorkOffline == True,
            PresentationSettings.CloseOpenWindows == True,
            PresentationSettings.Password,
            dialog};
}

}  // namespace

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void commandLines_data();
    void commandLines();
    void numbers_data();
    void numbers();
};

void StartupTest::commandLines_data()
{
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QString>("url");
    QTest::addColumn<float>("delay");
    QTest::addColumn<QString>("flags");  // a = allow new windows, o = offline, c = close windows
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("dialog");

    const QString u = QStringLiteral("http://127.0.0.1:8000/home.html");
    auto row = [](const char* name, const QString& line, const QString& url, float delay, const char* flags,
                  const char* password, bool dialog) {
        QTest::newRow(name) << line << url << delay << QString::fromLatin1(flags) << QString::fromUtf8(password)
                            << dialog;
    };

    row("empty", "", "", 10, "", "", true);
    row("url and delay", u + ",30", u, 30, "", "", false);
    row("url alone", u, u, 10, "", "", true);
    row("delay without url", ",30", "", 30, "", "", true);
    row("url with blank before comma", u + " ,30", u + " ", 30, "", "", false);

    row("delay 11 rounds up", u + ",11", u, 20, "", "", false);
    row("delay 9", u + ",9", u, 10, "", "", true);
    row("delay 9.5 is 10", u + ",9.5", u, 10, "", "", false);
    row("delay 14.5 is 14", u + ",14.5", u, 20, "", "", false);
    row("delay blanks around, middle field", u + ",  30  ,workoffline", u, 30, "o", "", false);
    row("delay with exponent", u + ",1e2", u, 100, "", "", false);
    row("delay 32760", u + ",32760", u, 32760, "", "", false);
    row("delay 32761 would pass 16 bits", u + ",32761", u, 10, "", "", true);

    row("keywords in any case", u + ",30,ALLOWNEWWINDOWS,WorkOffline,closeOPENwindows", u, 30, "aoc", "", false);
    row("blank around middle keyword", u + ",30, workoffline,x", u, 30, "", "", false);
    row("blank around last keyword", u + ",30,x, workoffline ", u, 30, "o", "", false);
    row("help-text spacing", u + " , 60 , allowNewWindows , workOffline , closeOpenWindows , pass:secret", u + " ", 60,
        "", "secret", false);
    row("password of 7", u + ",30,pass:abcdefg", u, 30, "", "abcdefg", false);
    row("password of 8 ignored", u + ",30,pass:abcdefgh", u, 30, "", "", false);
    row("password lower-cased", u + ",30,PASS:SeCrEt", u, 30, "", "secret", false);
    row("later password wins", u + ",30,pass:first,pass:second", u, 30, "", "second", false);
    row("invalid later password keeps earlier", u + ",30,pass:first,pass:toolongpw", u, 30, "", "first", false);
}

void StartupTest::commandLines()
{
    QFETCH(QString, commandLine);
    const Outcome got = Read(commandLine);
    QTEST(got.url, "url");
    QTEST(got.delay, "delay");
    QFETCH(QString, flags);
    QCOMPARE(got.allowNewWindows, flags.contains(QLatin1Char('a')));
    QCOMPARE(got.workOffline, flags.contains(QLatin1Char('o')));
    QCOMPARE(got.closeOpenWindows, flags.contains(QLatin1Char('c')));
    QTEST(got.password, "password");
    QTEST(got.dialog, "dialog");
}

void StartupTest::numbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("numeric");
    QTest::addColumn<int>("value");  // -99999: not convertible

    QTest::newRow("empty") << "" << false << -99999;
    QTest::newRow("blanks around") << "  42  " << true << 42;
    QTest::newRow("exponent") << "1.5e1" << true << 15;
    QTest::newRow("hexadecimal") << "0x10" << false << -99999;
    QTest::newRow("not a number") << "nan" << false << -99999;
    QTest::newRow("infinity") << "inf" << false << -99999;
    QTest::newRow("digits then letters") << "10s" << false << -99999;
}

void StartupTest::numbers()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    QTEST(IsNumeric(text), "numeric");
    const std::optional<std::int16_t> converted = ToInt16(text);
    QCOMPARE(converted.has_value(), value != -99999);
    if (converted)
        QCOMPARE(int(*converted), value);
}

QTEST_GUILESS_MAIN(StartupTest)
#include "test_startup.moc"
