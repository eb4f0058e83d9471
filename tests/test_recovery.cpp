// The presentation recovers by itself: after its page's renderer was killed,
// and from a page whose script never ends, the next reset brings the
// homepage back, and a page whose documents went unreported in a new
// renderer is reported once it has loaded.

#include "Harness.h"
#include "platform/browser/BrowserPage.h"
#include "platform/browser/RendererWatchdog.h"

#include <csignal>
#include <memory>

using namespace quillory;
using namespace quillory::modInitialise;

class RecoveryTest : public QObject, harness::Presentation {
    Q_OBJECT
private slots:
    void init()
    {
        Start(10);
        QVERIFY(Load());
    }
    void cleanup() { Stop(); }
    void killedRendererComesBack();
    void endlessScriptComesBack();
    void unreportedPageInNewRendererIsReported();

private:
    QWebEnginePage* Page() const { return harness::ViewOf(form_->webBrowser)->page(); }
};

void RecoveryTest::killedRendererComesBack()
{
    for (int round = 0; round < 3; ++round) {
        QSignalSpy terminated(Page(), &QWebEnginePage::renderProcessTerminated);
        const qint64 pid = Page()->renderProcessPid();
        QVERIFY(pid > 0);
        QCOMPARE(::kill(static_cast<pid_t>(pid), SIGKILL), 0);
        QTRY_COMPARE_WITH_TIMEOUT(terminated.size(), 1, 10000);
        QSignalSpy completed(form_->webBrowser, &WebBrowser::NavigateComplete2);
        form_->tmrTimeout_Timer();
        QSignalSpy loaded(Page(), &QWebEnginePage::loadFinished);  // the reset's new page
        QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), 15000);
        // Reported by the reporter or, when the new renderer left it out, at the load.
        QTRY_VERIFY_WITH_TIMEOUT(harness::CompletedUrls(completed).contains(PresentationSettings.HomepageURL), 5000);
        QVERIFY(Page()->renderProcessPid() != pid);
    }
}

void RecoveryTest::endlessScriptComesBack()
{
    const QString busy = server_.Url(QStringLiteral("busy.html"));
    form_->webBrowser->Navigate(busy);
    QVERIFY(harness::WaitForCompletion(form_->webBrowser, busy));
    QTest::qWait(1000);  // the script is spinning now
    form_->tmrTimeout_Timer();
    QVERIFY2(harness::WaitForCompletion(form_->webBrowser, PresentationSettings.HomepageURL, 30000), "not back home");
}

// A page without the reporter stands for the engine's gap: its first load,
// and the first after its renderer ended, report the page when they finish;
// once reported, the renderer's next pages are left to the reporter.
void RecoveryTest::unreportedPageInNewRendererIsReported()
{
    QWebEngineView view;
    QWebEngineProfile* const profile = CreateVisitorProfile();
    auto* page = new BrowserPage(profile, false, &view);
    view.setPage(page);
    RendererWatchdog watchdog(page, nullptr);
    QSignalSpy unreported(&watchdog, &RendererWatchdog::documentUnreported);
    QSignalSpy loaded(page, &QWebEnginePage::loadFinished);
    view.show();
    const QString home = PresentationSettings.HomepageURL;

    for (int round = 1; round <= 2; ++round) {
        if (round == 2) {  // the renderer ends
            QSignalSpy terminated(page, &QWebEnginePage::renderProcessTerminated);
            QCOMPARE(::kill(static_cast<pid_t>(page->renderProcessPid()), SIGKILL), 0);
            QTRY_COMPARE_WITH_TIMEOUT(terminated.size(), 1, 10000);
        }
        page->load(QUrl(home));
        QTRY_COMPARE_WITH_TIMEOUT(unreported.size(), round, 15000);
        QCOMPARE(unreported.last().first().toString(), home);
        page->load(QUrl(home));  // the renderer's next pages are its own to report
        QTRY_COMPARE_WITH_TIMEOUT(loaded.size(), 2 * round, 15000);
        QTest::qWait(300);
        QCOMPARE(unreported.size(), round);
    }
    view.setPage(nullptr);
    delete page;
    ReleaseVisitorProfile(profile);
}

QUILLORY_TEST_MAIN(RecoveryTest)
#include "test_recovery.moc"
