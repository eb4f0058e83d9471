#include "platform/ProgramEnd.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>

#ifdef Q_OS_UNIX
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace quillory {

namespace {

bool ended = false;
int exitStatus = 0;

// Once the program has ended, the queue may still hold a tick or an input
// event for one of its windows; this drops them so no handler runs again.
class SilenceAfterEnd final : public QObject {
protected:
    bool eventFilter(QObject* receiver, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::Timer:
            return qobject_cast<QTimer*>(receiver) != nullptr;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Wheel:
        case QEvent::Close:
        case QEvent::FocusIn:
        case QEvent::FocusOut:
            return true;
        default:
            return false;
        }
    }
};

#ifdef Q_OS_UNIX
int signalPipe[2] = {-1, -1};

void OnTerminationSignal(int)
{
    const char byte = 1;
    // Only async-signal-safe work here: wake the event loop and let it end.
    [[maybe_unused]] ssize_t written = ::write(signalPipe[1], &byte, 1);
}
#endif

}  // namespace

void EndProgram(int status)
{
    if (ended)
        return;
    ended = true;
    exitStatus = status;
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) {
        app->installEventFilter(new SilenceAfterEnd);
        for (QWidget* window : QApplication::topLevelWidgets())
            window->hide();
    }
    QCoreApplication::exit(status);
}

bool ProgramEnded()
{
    return ended;
}

int ProgramExitStatus()
{
    return exitStatus;
}

void EndProgramOnTerminationSignals()
{
#ifdef Q_OS_UNIX
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, [] {
        char byte;
        while (::read(signalPipe[0], &byte, 1) > 0) {
        }
        EndProgram(0);
    });
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
#endif
}

}  // namespace quillory
