// Start-up: the command line read into the settings, and the rule for
// numbers. The fuzz targets check both rules as properties over any input;
// the rows here pin the decisions a property cannot know: examples of
// delays, the spacing of the help text, and which password is kept.

#include "HarnessSettings.h"
#include "startup/NumberText.h"

#include <QtTest>

using namespace quillory;
using namespace quillory::modInitialise;

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
    // URL|delay|options (a: new windows, o: offline, c: close windows)|password|dialog or start
    QTest::addColumn<QString>("settings");
    const QString u = QStringLiteral("http://127.0.0.1/");
    const auto row = [&](const char* name, const QString& tail, const QString& settings) {
        QTest::newRow(name) << u + tail << u + settings;
    };
    row("delay 9 is too short", ",9", "|10|||dialog");
    row("delay 9.5 is 10", ",9.5", "|10|||start");
    row("delay 11 rounds up", ",11", "|20|||start");
    row("delay 32761 would pass 16 bits", ",32761", "|10|||dialog");
    row("help-text spacing", " , 60 , allowNewWindows , workOffline , closeOpenWindows , pass:secret",
        " |60||secret|start");
    row("later password wins", ",30,pass:first,pass:second", "|30||second|start");
    row("invalid later password keeps earlier", ",30,pass:first,pass:toolongpw", "|30||first|start");
}

void StartupTest::commandLines()
{
    QFETCH(QString, commandLine);
    harness::ResetSettings();
    CommandLine = commandLine;
    const bool dialog = ReadCommandLine();
    const PresentationSettingsRecord& s = PresentationSettings;
    const QString options = QString(s.AllowNewWindows == True ? "a" : "") + (s.WorkOffline == True ? "o" : "") +
                            (s.CloseOpenWindows == True ? "c" : "");
    QTEST(QStringList({s.HomepageURL, QString::number(s.MinDelay), options, s.Password, dialog ? "dialog" : "start"})
              .join(QLatin1Char('|')),
          "settings");
}

void StartupTest::numbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("value");  // empty: not numeric, no value
    const auto row = [](const char* name, const char* text, const char* value) {
        QTest::newRow(name) << QString(text) << QString(value);
    };
    row("empty", "", "");
    row("exponent", "1.5e1", "15");
    row("hexadecimal", "0x10", "");
    row("not a number", "nan", "");
    row("infinity", "inf", "");
    row("digits then letters", "10s", "");
}

void StartupTest::numbers()
{
    QFETCH(QString, text);
    QFETCH(QString, value);
    QCOMPARE(IsNumeric(text), !value.isEmpty());
    const std::optional<std::int16_t> converted = ToInt16(text);
    QCOMPARE(converted ? QString::number(*converted) : QString(), value);
}

QTEST_GUILESS_MAIN(StartupTest)
#include "test_startup.moc"
