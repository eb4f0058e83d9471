#include "exit/PromptKeyGate.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace quillory {

namespace {
// Windows a page opens, boxes and the browser's own windows may come over
// the prompt at any time: it is raised again this often.
constexpr int kFrontCheckMs = 100;
}  // namespace

PromptKeyGate::PromptKeyGate(QWidget& prompt, QWidget& box)
    : QObject(&prompt),
      prompt_(prompt),
      box_(box),
      front_(new QTimer(this))
{
    front_->setInterval(kFrontCheckMs);
    connect(front_, &QTimer::timeout, this, &PromptKeyGate::KeepInFront);
    qApp->installEventFilter(this);
}

PromptKeyGate::~PromptKeyGate()
{
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

void PromptKeyGate::Open()
{
    open_ = true;
    front_->start();
}

void PromptKeyGate::Close()
{
    open_ = false;
    front_->stop();
}

void PromptKeyGate::KeepInFront()
{
    if (prompt_.isVisible() && !prompt_.isMinimized())
        prompt_.raise();
}

// Sees each key before any window or widget of the program does.
bool PromptKeyGate::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease)
        return false;
    const quint32 key = static_cast<QKeyEvent*>(event)->nativeScanCode();
    if (!open_)
        return type == QEvent::KeyRelease && pressed_.remove(key);
    if (type == QEvent::KeyPress)
        pressed_.insert(key);
    else
        pressed_.remove(key);
    if (!prompt_.isVisible())
        return true;  // the prompt waits: nowhere
    // The prompt's own keys, and those a box that did not take them passes
    // up to the prompt, go their way.
    const auto* widget = qobject_cast<QWidget*>(watched);
    if ((widget && widget->window() == &prompt_) || watched == prompt_.windowHandle())
        return false;
    QCoreApplication::sendEvent(&box_, event);
    return true;
}

}  // namespace quillory
