// Debian's Chromium driven over the DevTools pipe, for real: commands and
// their answers or errors, events, and the browser's end however it comes.

#include "platform/browser/chromium/DevToolsPipe.h"

#include <QCoreApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <optional>
#include <unistd.h>

using namespace quillory;

namespace {

const QString kChromium = QStringLiteral("/usr/bin/chromium");

bool ProcessExists(qint64 pid)
{
    return ::kill(static_cast<pid_t>(pid), 0) == 0;
}

}  // namespace

class DevToolsPipeTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        if (!QFile::exists(kChromium))
            QSKIP("Debian's chromium is not installed");
        QVERIFY(pipe_.Start(kChromium,
                            {QStringLiteral("--headless=new"), QStringLiteral("--no-sandbox"),
                             QStringLiteral("--no-first-run"), QStringLiteral("--user-data-dir=") + profile_.path(),
                             QStringLiteral("about:blank")}));
    }
    void cleanup() { pipe_.Stop(); }
    void answersErrorsAndEvents();
    void endsWithStopOrWhenKilled();

private:
    QTemporaryDir profile_;
    DevToolsPipe pipe_;
};

void DevToolsPipeTest::answersErrorsAndEvents()
{
    QString product;
    pipe_.Send(QStringLiteral("Browser.getVersion"), {}, {},
               [&](const QJsonObject& result, const QString&) { product = result.value("product").toString(); });
    QTRY_VERIFY_WITH_TIMEOUT(!product.isEmpty(), 20000);
    QVERIFY2(product.contains(QLatin1String("Chrome/")), qPrintable(product));

    QString error;
    pipe_.Send(QStringLiteral("No.suchMethod"), {}, {}, [&](const QJsonObject&, const QString& e) { error = e; });
    QTRY_VERIFY(!error.isEmpty());

    // A page made over the pipe is announced in an event, with its address.
    QSignalSpy events(&pipe_, &DevToolsPipe::Event);
    pipe_.Send(QStringLiteral("Target.setDiscoverTargets"), {{"discover", true}});
    pipe_.Send(QStringLiteral("Target.createTarget"), {{"url", "data:text/html,<title>made</title>"}});
    QTRY_VERIFY_WITH_TIMEOUT(
        std::any_of(events.begin(), events.end(),
                    [](const QList<QVariant>& event) {
                        const QJsonObject target = event.at(1).toJsonObject().value("targetInfo").toObject();
                        return event.at(0).toString() == "Target.targetCreated" && target.value("type") == "page" &&
                               target.value("url") == "data:text/html,<title>made</title>";
                    }),
        10000);

    // A command to a page's session that is closed before it answers is
    // answered all the same, with an error: the browser never answers it.
    QString targetId, session;
    pipe_.Send(QStringLiteral("Target.createTarget"), {{"url", "about:blank"}}, {},
               [&](const QJsonObject& result, const QString&) { targetId = result.value("targetId").toString(); });
    QTRY_VERIFY_WITH_TIMEOUT(!targetId.isEmpty(), 10000);
    pipe_.Send(QStringLiteral("Target.attachToTarget"), {{"targetId", targetId}, {"flatten", true}}, {},
               [&](const QJsonObject& result, const QString&) { session = result.value("sessionId").toString(); });
    QTRY_VERIFY_WITH_TIMEOUT(!session.isEmpty(), 10000);
    std::optional<QString> never;
    pipe_.Send(QStringLiteral("Runtime.evaluate"), {{"expression", "new Promise(() => {})"}, {"awaitPromise", true}},
               session, [&](const QJsonObject&, const QString& e) { never = e; });
    pipe_.Send(QStringLiteral("Target.closeTarget"), {{"targetId", targetId}});
    QTRY_VERIFY_WITH_TIMEOUT(never.has_value(), 10000);
    QVERIFY(!never->isEmpty());
}

void DevToolsPipeTest::endsWithStopOrWhenKilled()
{
    // Stopped: the browser is gone, and nothing is left waiting.
    const qint64 first = pipe_.ProcessId();
    QVERIFY(ProcessExists(first));
    pipe_.Stop();
    QVERIFY(!pipe_.IsRunning());
    QVERIFY(!ProcessExists(first));

    // Killed from outside: the end is noticed, and a command waiting for its
    // answer, or sent afterwards, gets an error.
    init();
    QSignalSpy ended(&pipe_, &DevToolsPipe::Ended);
    QString session;
    pipe_.Send(QStringLiteral("Target.createTarget"), {{"url", "about:blank"}}, {},
               [&](const QJsonObject& created, const QString&) {
                   pipe_.Send(QStringLiteral("Target.attachToTarget"),
                              {{"targetId", created["targetId"]}, {"flatten", true}}, {},
                              [&](const QJsonObject& attached, const QString&) {
                                  session = attached["sessionId"].toString();
                              });
               });
    QTRY_VERIFY_WITH_TIMEOUT(!session.isEmpty(), 20000);
    QString waitingError;
    pipe_.Send(QStringLiteral("Runtime.evaluate"), {{"expression", "new Promise(() => {})"}, {"awaitPromise", true}},
               session, [&](const QJsonObject&, const QString& e) { waitingError = e; });
    QTest::qWait(300);
    QVERIFY(waitingError.isEmpty());
    QCOMPARE(::kill(static_cast<pid_t>(pipe_.ProcessId()), SIGKILL), 0);
    QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 10000);
    QVERIFY(!waitingError.isEmpty());
    QString laterError;
    pipe_.Send(QStringLiteral("Browser.getVersion"), {}, {},
               [&](const QJsonObject&, const QString& e) { laterError = e; });
    QVERIFY(!laterError.isEmpty());
}

QTEST_GUILESS_MAIN(DevToolsPipeTest)
#include "test_devtools_pipe.moc"
