// Start-up: the command line read into the settings, and the rule for numbers.

#include "platform/ArgumentText.h"
#include "startup/NumberText.h"
#include "startup/modInitialise.h"

#include <QtTest>

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
    PresentationSettings = PresentationSettingsRecord{};
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

QStringList Fields(const QString& commandLine)
{
    CommandLine = commandLine;
    ArgPosition = 1;
    QStringList fields;
    for (int i = 0; i < 8; ++i) {
        const std::optional<QString> field = NextArgument();
        fields << (field ? QLatin1Char('[') + *field + QLatin1Char(']') : QStringLiteral("none"));
    }
    while (fields.size() > 1 && fields.last() == QLatin1String("none") && fields[fields.size() - 2] == QLatin1String("none"))
        fields.removeLast();
    return fields;
}

}  // namespace

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void commandLines_data();
    void commandLines();
    void scanner_data();
    void scanner();
    void numbers_data();
    void numbers();
    void oversizedCommandLines();
    void argumentsJoinedWithBlanks();
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
    row("url alone, blanks trimmed", "  " + u + "  ", u, 10, "", "", true);
    row("delay without url", ",30", "", 30, "", "", true);
    row("url and trailing comma", u + ",", u, 10, "", "", true);
    row("url with blank before comma", u + " ,30", u + " ", 30, "", "", false);
    row("blank url field", " ,30", " ", 30, "", "", false);

    row("delay 10", u + ",10", u, 10, "", "", false);
    row("delay 11 rounds up", u + ",11", u, 20, "", "", false);
    row("delay 25 rounds up", u + ",25", u, 30, "", "", false);
    row("delay 9", u + ",9", u, 10, "", "", true);
    row("delay 5", u + ",5", u, 10, "", "", true);
    row("delay 9.5 is 10", u + ",9.5", u, 10, "", "", false);
    row("delay 14.5 is 14", u + ",14.5", u, 20, "", "", false);
    row("delay 15.5 is 16", u + ",15.5", u, 20, "", "", false);
    row("delay negative", u + ",-5", u, 10, "", "", true);
    row("delay letters", u + ",soon", u, 10, "", "", true);
    row("delay blanks around, middle field", u + ",  30  ,workoffline", u, 30, "o", "", false);
    row("delay with exponent", u + ",1e2", u, 100, "", "", false);
    row("delay 32760", u + ",32760", u, 32760, "", "", false);
    row("delay 32761 would pass 16 bits", u + ",32761", u, 10, "", "", true);
    row("delay 32767", u + ",32767", u, 10, "", "", true);
    row("delay beyond 16 bits", u + ",40000", u, 10, "", "", true);
    row("delay huge", u + ",1e300", u, 10, "", "", true);
    row("delay blanks only", u + ",   ,workoffline", u, 10, "o", "", true);

    row("workoffline", u + ",30,workoffline", u, 30, "o", "", false);
    row("url and 5 with option", u + ",5,workoffline", u, 10, "o", "", true);
    row("keywords in any case", u + ",30,ALLOWNEWWINDOWS,WorkOffline,closeOPENwindows", u, 30, "aoc", "", false);
    row("blank around middle keyword", u + ",30, workoffline,x", u, 30, "", "", false);
    row("blank around last keyword", u + ",30,x, workoffline ", u, 30, "o", "", false);
    row("help-text spacing", u + " , 60 , allowNewWindows , workOffline , closeOpenWindows , pass:secret", u + " ", 60,
        "", "secret", false);
    row("middle pass with blank", u + ",30, pass:secret,x", u, 30, "", "", false);
    row("password of 7", u + ",30,pass:abcdefg", u, 30, "", "abcdefg", false);
    row("password of 8 ignored", u + ",30,pass:abcdefgh", u, 30, "", "", false);
    row("empty password ignored", u + ",30,pass:", u, 30, "", "", false);
    row("password counted as typed, before lower-casing", u + QStringLiteral(",30,pass:S\u0130PASS:"), u, 30, "",
        QStringLiteral("si\u0307pass:").toUtf8().constData(), false);
    row("password lower-cased", u + ",30,PASS:SeCrEt", u, 30, "", "secret", false);
    row("later password wins", u + ",30,pass:first,pass:second", u, 30, "", "second", false);
    row("invalid later password keeps earlier", u + ",30,pass:first,pass:toolongpw", u, 30, "", "first", false);
    row("repeated keyword", u + ",30,workoffline,workoffline,workoffline,workoffline", u, 30, "o", "", false);
    row("keyword as url", "workoffline,30", "workoffline", 30, "", "", false);
    row("option as seventh field", u + ",30,a,b,c,d,workoffline", u, 30, "", "", false);
    row("sixth field still read", u + ",30,a,b,c,closeopenwindows", u, 30, "c", "", false);
    row("empty option fields", u + ",30,,,allownewwindows", u, 30, "a", "", false);
    row("keyword with suffix", u + ",30,workofflinex", u, 30, "", "", false);
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

void StartupTest::scanner_data()
{
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QStringList>("fields");

    QTest::newRow("empty") << "" << QStringList{"none"};
    QTest::newRow("one field") << "  a b  " << QStringList{"[a b]", "none"};
    QTest::newRow("two fields") << "a,b" << QStringList{"[a]", "[b]", "none"};
    QTest::newRow("middle fields untrimmed") << " a , b , c " << QStringList{"[ a ]", "[ b ]", "[c]", "none"};
    QTest::newRow("trailing comma") << "a," << QStringList{"[a]", "[]", "none"};
    QTest::newRow("lone comma") << "," << QStringList{"[]", "[]", "none"};
    QTest::newRow("double comma") << "a,,b" << QStringList{"[a]", "[]", "[b]", "none"};
    QTest::newRow("blanks only") << "   " << QStringList{"[]", "none"};
    QTest::newRow("tab not trimmed") << "a,\tb\t" << QStringList{"[a]", "[\tb\t]", "none"};
}

void StartupTest::scanner()
{
    QFETCH(QString, commandLine);
    QTEST(Fields(commandLine), "fields");
}

void StartupTest::numbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("numeric");
    QTest::addColumn<int>("value");  // -99999: not convertible

    QTest::newRow("empty") << "" << false << -99999;
    QTest::newRow("blanks") << "   " << false << -99999;
    QTest::newRow("blanks around") << "  42  " << true << 42;
    QTest::newRow("plus sign") << "+7" << true << 7;
    QTest::newRow("half to even down") << "2.5" << true << 2;
    QTest::newRow("half to even up") << "3.5" << true << 4;
    QTest::newRow("negative half") << "-2.5" << true << -2;
    QTest::newRow("exponent") << "1.5e1" << true << 15;
    QTest::newRow("top of range") << "32767.4" << true << 32767;
    QTest::newRow("rounds past top") << "32767.5" << true << -99999;
    QTest::newRow("bottom of range half") << "-32768.5" << true << -32768;
    QTest::newRow("below range") << "-32769" << true << -99999;
    QTest::newRow("letters") << "ten" << false << -99999;
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

void StartupTest::oversizedCommandLines()
{
    // Longer than any position the scanner can count: cut to the longest
    // argument text, never overflowing.
    const QString url = QStringLiteral("http://127.0.0.1/") + QString(40000, QLatin1Char('x'));
    SetArgumentText(url + QStringLiteral(",30"));
    QCOMPARE(ArgumentText().size(), MaxArgumentTextLength);
    Outcome got = Read(ArgumentText());
    QCOMPARE(got.url.size(), MaxArgumentTextLength);
    QVERIFY(got.dialog);

    // A comma as the very last character still leaves a valid position.
    QString edge(MaxArgumentTextLength - 1, QLatin1Char('u'));
    edge += QLatin1Char(',');
    got = Read(edge);
    QCOMPARE(got.url.size(), MaxArgumentTextLength - 1);
    QVERIFY(got.dialog);

    // Commas everywhere: every field empty, nothing set.
    got = Read(QString(MaxArgumentTextLength, QLatin1Char(',')));
    QVERIFY(got.url.isEmpty());
    QVERIFY(got.dialog);
}

void StartupTest::argumentsJoinedWithBlanks()
{
    const char* argv[] = {"quillory", "http://127.0.0.1/home.html", ",", "60", ",", "workoffline"};
    QCOMPARE(JoinArguments(6, argv), QStringLiteral("http://127.0.0.1/home.html , 60 , workoffline"));
    const Outcome got = Read(JoinArguments(6, argv));
    QCOMPARE(got.url, QStringLiteral("http://127.0.0.1/home.html "));
    QCOMPARE(got.delay, 60.0f);
    QVERIFY(got.workOffline);
    QCOMPARE(JoinArguments(1, argv), QString());
}

QTEST_GUILESS_MAIN(StartupTest)
#include "test_startup.moc"
