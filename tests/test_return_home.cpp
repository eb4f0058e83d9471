// The return home on Chromium, on the presentation with the real browser: the
// program goes on while the visitor's browser ends, that browser ends whole
// (reaped, its folder gone), and its end is never taken for the next one's.

#include "Harness.h"
#include "exit/frmPassword.h"
#include "platform/browser/SiteDataFolders.h"
#include "platform/browser/chromium/ChromiumBrowser.h"

#include <QDir>
#include <QFile>

#include <csignal>

using namespace quillory;
using namespace quillory::modInitialise;

namespace {

// A process that has not been reaped still has its /proc entry.
bool ProcessLeft(qint64 pid)
{
    return QFile::exists(QStringLiteral("/proc/%1").arg(pid));
}

int BrowserFolders()
{
    return QDir(SiteDataFolderOfRun()).entryList({QStringLiteral("chromium-*")}, QDir::Dirs).size();
}

}  // namespace

class ReturnHomeTest : public QObject, harness::Presentation {
    Q_OBJECT
private slots:
    void init()
    {
        if (!ChromiumBrowser::IsInstalled())
            QSKIP("Debian's chromium is not installed");
        Start(10);
        PresentationSettings.Password = QStringLiteral("secret");
        // A browser of its own takes long to start on a busy machine.
        QVERIFY(Load(false));
        browser_ = qobject_cast<ChromiumBrowser*>(form_->webBrowser);
        QVERIFY(browser_);
        QVERIFY(harness::WaitForCompletion(browser_, PresentationSettings.HomepageURL, 60000));
        const QString next = server_.Url(QStringLiteral("next.html"));
        browser_->Navigate(next);
        QVERIFY(harness::WaitForCompletion(browser_, next, 60000));
    }
    void cleanup()
    {
        frmPassword().close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Stop();
    }
    void theProgramGoesOnWhileTheVisitorsBrowserEnds();
    void aBrowserKilledWhileEndingIsNotTheNextOnes();

private:
    // The tick that reaches the threshold (10 s: one tick), as the timer gives it.
    void TickHome()
    {
        form_->TickCount = 0;
        form_->tmrTimeout_Timer();
    }

    ChromiumBrowser* browser_ = nullptr;
};

// The hot-corner gesture started the moment the tick fires opens the prompt
// while the visitor's browser is still ending; the homepage then shows in the
// next visitor's browser, and the visitor's is reaped with its folder.
void ReturnHomeTest::theProgramGoesOnWhileTheVisitorsBrowserEnds()
{
    const qint64 visitors = browser_->BrowserProcessId();
    bool promptWhileEnding = false;
    QTimer::singleShot(0, form_.get(), [&] {
        harness::HotCorner(*form_);
        promptWhileEnding = frmPassword().isVisible() && ProcessLeft(visitors);
    });
    QSignalSpy completed(browser_, &ChromiumBrowser::NavigateComplete2);
    TickHome();
    QVERIFY(browser_->BrowserProcessId() != visitors);
    QTRY_VERIFY(frmPassword().isVisible());
    QVERIFY2(promptWhileEnding, "the prompt opened only once the visitor's browser had ended");
    QTRY_VERIFY_WITH_TIMEOUT(harness::CompletedUrls(completed).contains(PresentationSettings.HomepageURL), 60000);
    QTRY_VERIFY_WITH_TIMEOUT(!ProcessLeft(visitors), 10000);
    QTRY_COMPARE(BrowserFolders(), 1);
}

// Killed from outside while it ends, the visitor's browser is no end of the
// next visitor's, which goes on.
void ReturnHomeTest::aBrowserKilledWhileEndingIsNotTheNextOnes()
{
    QSignalSpy ended(browser_, &ChromiumBrowser::BrowserEnded);
    const qint64 visitors = browser_->BrowserProcessId();
    TickHome();
    const qint64 next = browser_->BrowserProcessId();
    QCOMPARE(::kill(static_cast<pid_t>(visitors), SIGKILL), 0);
    QTRY_VERIFY_WITH_TIMEOUT(!ProcessLeft(visitors), 10000);
    QTest::qWait(0);  // whatever the end set off has run
    QCOMPARE(ended.size(), 0);
    QCOMPARE(browser_->BrowserProcessId(), next);
    QTRY_COMPARE(BrowserFolders(), 1);
}

QUILLORY_TEST_MAIN(ReturnHomeTest)
#include "test_return_home.moc"
