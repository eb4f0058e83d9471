// The return home on Chromium, on the presentation with the real browser: the
// program goes on while the visitor's browser ends, that browser ends whole
// (reaped, its folder gone, removed on the folder thread), and its end is
// never taken for the next one's.

#include "Harness.h"
#include "exit/frmPassword.h"
#include "platform/browser/FolderWork.h"
#include "platform/browser/SiteDataFolders.h"
#include "platform/browser/chromium/ChromiumBrowser.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSemaphore>

#include <csignal>

using namespace quillory;
using namespace quillory::modInitialise;

namespace {

// A process that has not been reaped still has its /proc entry.
bool ProcessLeft(qint64 pid)
{
    return QFile::exists(QStringLiteral("/proc/%1").arg(pid));
}

// The visit's folders and the next visitor's, made beforehand.
int BrowserFolders()
{
    return QDir(SiteDataFolderOfRun()).entryList({QStringLiteral("chromium-*")}, QDir::Dirs).size();
}

// The folder the browser keeps its visitor's data in, from its command line.
QString SiteDataFolderOf(qint64 pid)
{
    QFile commandLine(QStringLiteral("/proc/%1/cmdline").arg(pid));
    if (!commandLine.open(QIODevice::ReadOnly))
        return {};
    const QByteArray switchName = "--user-data-dir=";
    for (const QByteArray& argument : commandLine.readAll().split('\0')) {
        if (argument.startsWith(switchName))
            return QFile::decodeName(argument.mid(switchName.size()));
    }
    return {};
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
        folderThreadHeld_.release();  // a failed check left it waiting
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
    QSemaphore folderThreadHeld_;
};

// The hot-corner gesture started the moment the tick fires opens the prompt
// while the visitor's browser is still ending; the homepage then shows in the
// next visitor's browser, and the visitor's is reaped with its folder.
void ReturnHomeTest::theProgramGoesOnWhileTheVisitorsBrowserEnds()
{
    const qint64 visitors = browser_->BrowserProcessId();
    const QString visitorsFolder = SiteDataFolderOf(visitors);
    QVERIFY(QFileInfo::exists(visitorsFolder));
    bool promptWhileEnding = false;
    QTimer::singleShot(0, form_.get(), [&] {
        harness::HotCorner(*form_);
        promptWhileEnding = frmPassword().isVisible() && ProcessLeft(visitors);
    });
    QSignalSpy completed(browser_, &ChromiumBrowser::NavigateComplete2);
    TickHome();
    // The folder thread is kept busy: the folder must wait for it.
    RunFolderWork([this] { folderThreadHeld_.acquire(); });
    QVERIFY(browser_->BrowserProcessId() != visitors);
    QTRY_VERIFY(frmPassword().isVisible());
    QVERIFY2(promptWhileEnding, "the prompt opened only once the visitor's browser had ended");
    QTRY_VERIFY_WITH_TIMEOUT(harness::CompletedUrls(completed).contains(PresentationSettings.HomepageURL), 60000);
    QTRY_VERIFY_WITH_TIMEOUT(!ProcessLeft(visitors), 10000);
    QVERIFY2(QFileInfo::exists(visitorsFolder), "the folder was removed on the GUI thread");
    folderThreadHeld_.release();
    QTRY_VERIFY(!QFileInfo::exists(visitorsFolder));
    QTRY_COMPARE(BrowserFolders(), 2);
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
    QTRY_COMPARE(BrowserFolders(), 2);
}

QUILLORY_TEST_MAIN(ReturnHomeTest)
#include "test_return_home.moc"
