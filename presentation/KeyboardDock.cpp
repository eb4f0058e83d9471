#include "presentation/KeyboardDock.h"

#include "exit/frmPassword.h"
#include "platform/Twips.h"
#include "platform/WindowManager.h"
#include "platform/browser/BrowserControl.h"
#include "platform/keyboard/OnScreenKeyboard.h"
#include "presentation/frmBrowser.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScreen>
#include <QTimer>

namespace quillory {

namespace {

// A window of its own over the pages' windows: left alone by the window
// manager (so never moved, closed, minimised, shaded, nor left on another
// desktop), and never given the focus, which stays in the field.
constexpr Qt::WindowFlags kKeyboardWindow = Qt::Window | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint |
                                            Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus;
// A window the window manager raises over the keyboard goes back under it.
constexpr int kRaiseMs = 250;

}  // namespace

KeyboardDock::KeyboardDock(FrmBrowser& form, KeyboardMode mode, const KeyboardLayout& layout)
    : QObject(&form),
      form_(form),
      mode_(mode),
      keyboard_(new OnScreenKeyboard(layout, &form)),
      raise_(new QTimer(this))
{
    keyboard_->setWindowFlags(kKeyboardWindow);
    keyboard_->setAttribute(Qt::WA_ShowWithoutActivating);
    keyboard_->setWindowTitle(QStringLiteral("Quillory keyboard"));
    connect(keyboard_, &OnScreenKeyboard::TextTyped, this, &KeyboardDock::Typed);
    connect(keyboard_, &OnScreenKeyboard::KeyTyped, this, &KeyboardDock::KeyTyped);
    connect(keyboard_, &OnScreenKeyboard::HideAsked, this, &KeyboardDock::Hide);
    raise_->setInterval(kRaiseMs);
    connect(raise_, &QTimer::timeout, keyboard_, &QWidget::raise);
}

bool KeyboardDock::Shown() const
{
    return keyboard_->isVisible();
}

void KeyboardDock::PageFieldFocused(bool byTouch, bool singleLine)
{
    if (serving_ == Serving::Prompt)
        return;
    singleLine_ = singleLine;
    if (mode_ == KeyboardMode::Always || (mode_ == KeyboardMode::Touch && byTouch))
        ShowFor(Serving::Page);
}

void KeyboardDock::PageFieldLeft()
{
    if (serving_ == Serving::Page)
        Hide();
}

void KeyboardDock::PageReset()
{
    if (serving_ != Serving::Prompt)
        Hide();
}

void KeyboardDock::PromptAsked(FrmPassword& prompt, bool byTouch)
{
    if (prompt_ != &prompt) {
        prompt_ = &prompt;
        prompt.installEventFilter(this);
    }
    promptByTouch_ = byTouch;
    if (prompt.isVisible())
        eventFilter(&prompt, nullptr);
}

// The keyboard follows the prompt: it shows with it when a finger opened it,
// and goes when it hides (a wrong password, the close box, the reset).
bool KeyboardDock::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != prompt_)
        return false;
    const bool shows = event ? event->type() == QEvent::Show : prompt_->isVisible();
    const bool hides = event && event->type() == QEvent::Hide;
    if (shows && mode_ != KeyboardMode::Never && (promptByTouch_ || mode_ == KeyboardMode::Always)) {
        ShowFor(Serving::Prompt);
    } else if (shows && serving_ == Serving::Page) {
        Hide();  // the page's keyboard never types while the prompt is open
    } else if (hides && serving_ == Serving::Prompt) {
        Hide();
    }
    return false;
}

void KeyboardDock::ShowFor(Serving whom)
{
    const Serving wasServing = serving_;
    serving_ = whom;
    if (serving_ != wasServing || !Shown())
        keyboard_->Reset();
    Place();
    keyboard_->show();
    keyboard_->raise();
    ShowOnEveryDesktop(keyboard_->winId());
    raise_->start();
}

void KeyboardDock::Hide()
{
    const Serving was = serving_;
    serving_ = Serving::Nobody;
    raise_->stop();
    keyboard_->hide();
    if (was == Serving::Page)
        Place();
}

void KeyboardDock::Place()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || !form_.webBrowser)
        return;
    const QRect area = screen->geometry();
    const int height = keyboard_->height();
    keyboard_->setGeometry(area.left(), area.bottom() + 1 - height, area.width(), height);
    // The page's area ends where the keyboard begins, so that the field in
    // use is never under it; it runs on below the window's edge otherwise.
    const float top = form_.webBrowser->Top();
    if (serving_ == Serving::Page) {
        const int keyboardTop = keyboard_->geometry().top() - form_.geometry().top();
        form_.webBrowser->setHeight(PixelsToTwips(keyboardTop) - top);
    } else {
        form_.webBrowser->setHeight(form_.Height() - top + 10);
    }
    if (serving_ == Serving::Prompt)
        KeepPromptAbove();
}

void KeyboardDock::KeepPromptAbove()
{
    if (!prompt_)
        return;
    const QRect keys = keyboard_->geometry();
    const QRect frame = prompt_->frameGeometry();
    if (frame.intersects(keys))
        prompt_->move(prompt_->x(), std::max(0, keys.top() - frame.height()));
}

void KeyboardDock::Typed(const QString& text)
{
    if (serving_ == Serving::Prompt) {
        for (const QChar character : text)
            SendToPrompt(Qt::Key_unknown, QString(character));
    } else if (serving_ == Serving::Page && form_.webBrowser) {
        form_.webBrowser->TypeText(text);
    }
}

void KeyboardDock::KeyTyped(Qt::Key key)
{
    if (serving_ == Serving::Prompt) {
        SendToPrompt(key, key == Qt::Key_Return ? QStringLiteral("\r") : QString());
    } else if (serving_ == Serving::Page && form_.webBrowser) {
        form_.webBrowser->TypeKey(key);
        // Return ends the typing in a one-line field, as a form is sent.
        if (key == Qt::Key_Return && singleLine_)
            Hide();
    }
}

// As a key typed on the prompt's box, so that Return checks the password
// there exactly as a physical Return does.
void KeyboardDock::SendToPrompt(int key, const QString& text)
{
    if (!prompt_ || !prompt_->isVisible())
        return;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(prompt_->txtPassword, &press);
    if (!prompt_)
        return;  // the right password ended the program, or a wrong one hid it
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(prompt_->txtPassword, &release);
}

}  // namespace quillory
