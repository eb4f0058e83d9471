#include "platform/browser/chromium/HomepageRefresh.h"

#include "platform/browser/FolderWork.h"
#include "platform/browser/SiteDataFolders.h"
#include "platform/browser/chromium/NoLaunchers.h"
#include "platform/browser/chromium/TemporaryFolder.h"

#include <QProcess>
#include <QTemporaryDir>

#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

namespace quillory {

namespace {

const QString kBrowser = QStringLiteral("/usr/bin/chromium");
// A homepage that never finishes loading is stopped after this long, and
// what it loaded by then is kept.
constexpr int kLoadLimitMs = 20000;
// At the program's end, a refresh still going may finish for this long.
constexpr int kEndGraceMs = 5000;

}  // namespace

HomepageRefresh::HomepageRefresh(HomepageCache& cache, QObject* parent) : QObject(parent), cache_(cache)
{
}

HomepageRefresh::~HomepageRefresh()
{
    if (!Running())
        return;
    // The end is seen to here, not by the handlers of a load that ends in time.
    browser_->disconnect(this);
    const bool loaded = browser_->waitForFinished(kEndGraceMs) && browser_->exitStatus() == QProcess::NormalExit &&
                        browser_->exitCode() == 0;
    if (browser_->state() != QProcess::NotRunning) {
        browser_->kill();
        browser_->waitForFinished(1000);
    }
    cache_.EndRefresh(loaded);
}

bool HomepageRefresh::Running() const
{
    return browser_ && browser_->state() != QProcess::NotRunning;
}

void HomepageRefresh::Start(const QString& url)
{
    if (started_)
        return;
    started_ = true;
    const QString refreshing = cache_.BeginRefresh();
    if (refreshing.isEmpty())
        return;
    // Within the run's site-data folder: a later run removes what a killed one left.
    profile_ = std::make_unique<QTemporaryDir>(SiteDataFolderOfRun() + QStringLiteral("/homepage-XXXXXX"));
    if (!profile_->isValid()) {
        cache_.EndRefresh(false);
        return;
    }
    const QString temporary = BrowserTemporaryFolder(profile_->path(), shortTemporary_);
    browser_ = new QProcess(this);
    browser_->setStandardOutputFile(QProcess::nullDevice());
    browser_->setStandardErrorFile(QProcess::nullDevice());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), temporary);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), profile_->path());
    // The homepage's own links to mail or other programs start nothing here either.
    const QString path = PathWithoutLaunchers(profile_->path() + QStringLiteral("/launchers"));
    environment.insert(QStringLiteral("PATH"), path.section(QLatin1Char('='), 1));
    browser_->setProcessEnvironment(environment);
    // It ends with the program, however the program ends.
    browser_->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    QStringList arguments{
        QStringLiteral("--headless"),
        QStringLiteral("--no-first-run"),
        QStringLiteral("--disable-gpu"),
        QStringLiteral("--user-data-dir=") + profile_->path(),
        QStringLiteral("--disk-cache-dir=") + refreshing,
        QStringLiteral("--timeout=%1").arg(kLoadLimitMs),
        // The page is loaded, its document printed once it has, and the browser ends.
        QStringLiteral("--dump-dom"),
    };
    if (::geteuid() == 0)
        arguments << QStringLiteral("--no-sandbox");
    // After "--", an address is never taken for a switch.
    arguments << QStringLiteral("--") << url;
    connect(browser_, &QProcess::finished, this,
            [this](int code, QProcess::ExitStatus status) { End(status == QProcess::NormalExit && code == 0); });
    connect(browser_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            End(false);
    });
    browser_->start(kBrowser, arguments);
}

void HomepageRefresh::Cancel()
{
    started_ = true;
    if (Running())
        browser_->kill();  // its end is seen to as a failed load's
}

void HomepageRefresh::End(bool loaded)
{
    cache_.EndRefresh(loaded);
    RemoveInBackground(std::move(profile_));
    RemoveInBackground(std::move(shortTemporary_));
    emit Finished(loaded);
}

}  // namespace quillory
