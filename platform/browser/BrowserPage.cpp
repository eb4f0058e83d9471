#include "platform/browser/BrowserPage.h"

#include "platform/browser/PageGuards.h"

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
    // A move within the document (pushState, replaceState, a #fragment, Back
    // within the page) makes no new document: the change of the document's
    // current history entry reports it.
    script.setSourceCode(QStringLiteral("(() => {"
                                        "  const where = window === window.top ? 'page ' : 'frame ';"
                                        "  console.log(%1 + where + document.URL);"
                                        "  const moved = () => console.log(%1 + 'moved-' + where + document.URL);"
                                        "  if (window.navigation)"
                                        "    navigation.addEventListener('currententrychange', moved);"
                                        "})();")
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

void BrowserPage::javaScriptAlert(const QUrl&, const QString&)
{
}

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

void BrowserPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message, int, const QString&)
{
    const QString prefix = ReporterSecret() + QLatin1Char(' ');
    if (!message.startsWith(prefix))
        return;
    const QString where = message.mid(prefix.length()).section(QLatin1Char(' '), 0, 0);
    const QString url = message.mid(prefix.length() + where.length() + 1);
    // Every frame starts on an empty about:blank document of the engine's
    // own, which the engine sometimes reports and sometimes not: frames on
    // about:blank never count, so that a frame counts once.
    if (where == QLatin1String("frame") && url == QLatin1String("about:blank"))
        return;
    if (where.startsWith(QLatin1String("moved-"))) {
        emit movedWithinDocument(url);
        return;
    }
    emit documentCreated(url, where == QLatin1String("page"));
}

}  // namespace quillory
