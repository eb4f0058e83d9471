// The presentation recovers by itself: after its page's renderer was killed,
// and from a page whose script never ends, the next reset brings the
// homepage back.

#include "LocalServer.h"
#include "RecordingUser32.h"
#include "TestMain.h"
#include "platform/WebBrowser.h"
#include "presentation/frmBrowser.h"
#include "startup/modInitialise.h"

#include <QSignalSpy>
#include <QWebEngineView>
#include <csignal>
#include <memory>

using namespace quillory;
using namespace quillory::modInitialise;

class RecoveryTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void killedRendererComesBack();
    void endlessScriptComesBack();

private:
    QWebEnginePage* Page() const { return form_->webBrowser->findChild<QWebEngineView*>()->page(); }
    bool WaitForCompletion(const QString& url, int timeout);

    LocalServer server_;
    RecordingUser32 user32_;
    std::unique_ptr<FrmBrowser> form_;
};

void RecoveryTest::init()
{
    QVERIFY(server_.Start());
    PresentationSettings = PresentationSettingsRecord{};
    PresentationSettings.HomepageURL = server_.Url(QStringLiteral("home.html"));
    PresentationSettings.MinDelay = 10;
    form_ = std::make_unique<FrmBrowser>(user32_, 3600 * 1000);
    form_->Show();
    QVERIFY(WaitForCompletion(PresentationSettings.HomepageURL, 15000));
}

void RecoveryTest::cleanup()
{
    form_.reset();
    server_.Stop();
}

bool RecoveryTest::WaitForCompletion(const QString& url, int timeout)
{
    QSignalSpy completed(form_->webBrowser, &WebBrowser::NavigateComplete2);
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeout) {
        for (const auto& event : completed) {
            if (event.at(1).value<QVariant>().toString() == url)
                return true;
        }
        QTest::qWait(50);
    }
    return false;
}

void RecoveryTest::killedRendererComesBack()
{
    for (int round = 0; round < 3; ++round) {
        QSignalSpy terminated(Page(), &QWebEnginePage::renderProcessTerminated);
        const qint64 pid = Page()->renderProcessPid();
        QVERIFY(pid > 0);
        QCOMPARE(::kill(static_cast<pid_t>(pid), SIGKILL), 0);
        QTRY_COMPARE_WITH_TIMEOUT(terminated.size(), 1, 10000);
        form_->tmrTimeout_Timer();
        QVERIFY2(WaitForCompletion(PresentationSettings.HomepageURL, 15000), "the homepage did not come back");
        QVERIFY(Page()->renderProcessPid() != pid);
    }
}

void RecoveryTest::endlessScriptComesBack()
{
    const QString busy = server_.Url(QStringLiteral("busy.html"));
    form_->webBrowser->Navigate(busy);
    QVERIFY(WaitForCompletion(busy, 15000));
    QTest::qWait(1000);  // the script is spinning now
    QElapsedTimer clock;
    clock.start();
    form_->tmrTimeout_Timer();
    QVERIFY2(WaitForCompletion(PresentationSettings.HomepageURL, 30000), "the homepage did not come back");
    qInfo("homepage back %lld ms after the reset", clock.elapsed());
}

QUILLORY_TEST_MAIN(RecoveryTest)
#include "test_recovery.moc"
