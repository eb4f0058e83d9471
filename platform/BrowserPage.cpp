#include "platform/BrowserPage.h"

#include "platform/PageGuards.h"

#include <QRandomGenerator>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

namespace quillory {

namespace {

// A secret of this run marks the messages of the document reporter, so that
// a page cannot fake a completed navigation by writing to its console.
const QString& ReporterSecret()
{
    static const QString secret = QStringLiteral("quillory-document-%1%2")
                                      .arg(QRandomGenerator::system()->generate64(), 16, 16, QLatin1Char('0'))
                                      .arg(QRandomGenerator::system()->generate64(), 16, 16, QLatin1Char('0'));
    return secret;
}

// Runs as each document of the page or of any frame is created, in a world of
// its own that the page's scripts cannot see, even with scripts disabled and
// under a strict content security policy.
QWebEngineScript DocumentReporter()
{
    QWebEngineScript script;
    script.setName(QStringLiteral("quillory-document-reporter"));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    script.setRunsOnSubFrames(true);
    script.setSourceCode(QStringLiteral("console.log(%1 + document.URL);")
                             .arg(QStringLiteral("\"%1 \"").arg(ReporterSecret())));
    return script;
}

}  // namespace

BrowserPage::BrowserPage(QWebEngineProfile* profile, bool reportDocuments, QObject* parent)
    : QWebEnginePage(profile, parent)
{
    GuardPage(*this);
    if (reportDocuments)
        scripts().insert(DocumentReporter());
}

void BrowserPage::javaScriptAlert(const QUrl&, const QString&) {}

bool BrowserPage::javaScriptConfirm(const QUrl&, const QString& msg)
{
    return IsLeavePageQuestion(msg);
}

bool BrowserPage::javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*)
{
    return false;
}

QStringList BrowserPage::chooseFiles(FileSelectionMode, const QStringList&, const QStringList&)
{
    return {};
}

QWebEnginePage* BrowserPage::createWindow(WebWindowType)
{
    return newWindowHandler ? newWindowHandler() : nullptr;
}

void BrowserPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message, int,
                                           const QString&)
{
    const QString prefix = ReporterSecret() + QLatin1Char(' ');
    if (message.startsWith(prefix))
        emit documentCreated(message.mid(prefix.length()));
}

}  // namespace quillory
