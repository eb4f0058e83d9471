#include "platform/ProgramEnd.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

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

}  // namespace quillory
