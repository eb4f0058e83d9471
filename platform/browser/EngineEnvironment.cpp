#include "platform/browser/EngineEnvironment.h"

#include "platform/Processes.h"
#include "platform/browser/BrowserEngine.h"
#include "platform/browser/Compositing.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QLoggingCategory>
#include <QtGlobal>
#include <cstdio>

namespace quillory {

namespace {

QByteArray WithoutRemoteDebugging(const QByteArray& flags)
{
    QList<QByteArray> kept;
    for (const QByteArray& flag : flags.simplified().split(' ')) {
        if (!flag.isEmpty() && !flag.startsWith("--remote-debugging") && !flag.startsWith("-remote-debugging"))
            kept << flag;
    }
    return kept.join(' ');
}

}  // namespace

void PrepareEngineEnvironment()
{
    // The engine reports its graphics set-up at every start; an unattended
    // kiosk's log has no use for it.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
    qunsetenv("QTWEBENGINE_REMOTE_DEBUGGING");

    QByteArray flags = WithoutRemoteDebugging(qgetenv("QTWEBENGINE_CHROMIUM_FLAGS"));
    if (RunningAsRoot() && !flags.contains("--no-sandbox")) {
        std::fprintf(stderr, "quillory: running as root, so the web engine's sandbox is off\n");
        flags += flags.isEmpty() ? "--no-sandbox" : " --no-sandbox";
    }
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
    ChooseCompositing();
    // Qt WebEngine shares its OpenGL contexts with the application's, which
    // must know before it exists. Only then: the shared context loads the
    // OpenGL drivers (on a machine without a GPU, Mesa and LLVM) into the
    // program, where Chromium draws in processes of its own.
    if (PresentationEngine() == QLatin1String("qtwebengine"))
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

}  // namespace quillory
