// The program's entry point: prepares the platform, then hands over to Main.

#include "identity.h"
#include "platform/ArgumentText.h"
#include "platform/DialogFont.h"
#include "platform/Forms.h"
#include "platform/ProgramEnd.h"
#include "platform/RenewalWaiter.h"
#include "platform/browser/EngineEnvironment.h"
#ifdef _WIN32
#include "platform/browser/BrowserEngine.h"
#include "platform/browser/QtWebEngineEntry.h"
#endif
#include "startup/modInitialise.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv)
{
    using namespace quillory;

    // A renewed kiosk's first process waits here for the instances after it.
    if (const std::optional<int> status = RunAsRenewalWaiter())
        return *status;

    SetArgumentText(JoinArguments(argc, argv));
    BlankPasswordsInArguments(argc, argv);
    PrepareEngineEnvironment();
#ifdef _WIN32
    UseLinkedQtWebEngine(&QuilloryCreateQtWebEngineBrowser);
#endif

    // Qt and the web engine take options from argv (-platform, --webEngineArgs
    // and more); a kiosk's command line must not reach them, so Qt sees only
    // the program's name.
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication app(qtArgc, qtArgv);
    QApplication::setApplicationName(QStringLiteral(QUILLORY_NAME));
    QApplication::setApplicationVersion(QStringLiteral(QUILLORY_VERSION_TEXT));
    QApplication::setDesktopFileName(QStringLiteral("quillory"));
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/quillory-16.png"));
    icon.addFile(QStringLiteral(":/icons/quillory-32.png"));
    QApplication::setWindowIcon(icon);
    UseDialogFont();
    // The program ends only in the ways it defines, never because a window closed.
    QApplication::setQuitOnLastWindowClosed(false);
    EndProgramOnTerminationSignals();

    modInitialise::Main();
    if (!ProgramEnded())
        QApplication::exec();

    // The windows go while the application object lives: with them the
    // browser control's profiles, which then write out the disk cache.
    DeleteAllWindows();
    return ProgramExitStatus();
}
