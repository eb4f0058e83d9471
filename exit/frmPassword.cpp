#include "exit/frmPassword.h"

#include "exit/PromptKeyGate.h"
#include "exit/RetryWait.h"
#include "platform/CentreOnScreen.h"
#include "platform/Forms.h"
#include "platform/KeyCodes.h"
#include "platform/ProgramEnd.h"
#include "platform/Twips.h"
#include "platform/User32Provider.h"
#include "platform/WindowManager.h"
#include "startup/modInitialise.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QScreen>
#include <QTimer>
#include <algorithm>

namespace quillory {

using modInitialise::PresentationSettings;

namespace {

constexpr int kMaxPasswordLength = 8;

}  // namespace

FrmPassword::FrmPassword()
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      txtPassword(new QLineEdit(this)),
      lblPassword(new QLabel(QStringLiteral("Exit password:"), this)),
      pendingShow_(new QTimer(this)),
      keyGate_(new PromptKeyGate(*this, *txtPassword))
{
    setObjectName(QStringLiteral("frmPassword"));
    setWindowTitle(QStringLiteral("Quillory"));
    setWindowIcon(QApplication::windowIcon());
    setFixedSize(TwipsRect(0, 0, 3375, 615).size());

    txtPassword->setObjectName(QStringLiteral("txtPassword"));
    txtPassword->setGeometry(TwipsRect(1320, 165, 1935, 285));
    txtPassword->setEchoMode(QLineEdit::Password);
    txtPassword->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));  // "*"
    txtPassword->setMaxLength(kMaxPasswordLength);
    txtPassword->installEventFilter(this);

    lblPassword->setObjectName(QStringLiteral("lblPassword"));
    lblPassword->setGeometry(TwipsRect(120, 195, 1095, 255));
    lblPassword->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    setFocusProxy(txtPassword);

    // The corner used during the wait after a wrong password opens the
    // prompt once the wait is over.
    pendingShow_->setSingleShot(true);
    connect(pendingShow_, &QTimer::timeout, this, &FrmPassword::Show);
}

void FrmPassword::Form_Load()
{
    // Without a password there is nothing to guard: the way out is open.
    if (PresentationSettings.Password.isEmpty())
        EndProgram(0);
}

void FrmPassword::Show()
{
    keyGate_->Open();
    if (const int wait = PromptRetryWait().RemainingMs(); wait > 0) {
        pendingShow_->start(wait);
        return;
    }
    // A window manager may have minimised, shaded or lowered the prompt,
    // sent it to another desktop or moved it off the screen since it was
    // last shown: it comes back whole, in front, centred again if it is no
    // longer on the screen.
    const bool reopened = !isVisible() || isMinimized();
    if (isVisible())
        BringBackToScreen(winId());
    const QList<QScreen*> screens = QGuiApplication::screens();
    const bool onAScreen = std::any_of(screens.begin(), screens.end(), [this](const QScreen* screen) {
        return screen->geometry().contains(frameGeometry());
    });
    if (!placed_ || !onAScreen) {
        placed_ = true;
        CentreOnScreen(*this);
    }
    setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
    show();
    raise();
    activateWindow();
    txtPassword->setFocus();
    // Opened again, what is left in the box is all selected, so that typing
    // replaces it: a box filled to its limit would otherwise drop every key.
    // Further moves in the corner leave what is being typed alone.
    if (reopened)
        txtPassword->selectAll();
}

void FrmPassword::Hide()
{
    pendingShow_->stop();
    keyGate_->Close();
    hide();
}

void FrmPassword::txtPassword_KeyPress(std::int16_t& KeyAscii)
{
    if (KeyAscii != VK_RETURN)
        return;
    if (QLocale::system().toLower(txtPassword->text()) == PresentationSettings.Password) {
        std::int32_t previous = 0;
        SystemUser32().SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, API_FALSE, &previous, 0);
        EndProgram(0);
    } else {
        PromptRetryWait().WrongPassword();
        Hide();
    }
}

bool FrmPassword::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != txtPassword || event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return false;  // the box takes every other key as typed
    std::int16_t KeyAscii = VK_RETURN;
    txtPassword_KeyPress(KeyAscii);
    return true;
}

void FrmPassword::closeEvent(QCloseEvent* event)
{
    event->accept();
    UnloadForm(this);
}

FrmPassword& frmPassword()
{
    static QPointer<FrmPassword> form;
    return LoadedForm(form, [] {
        auto* loaded = new FrmPassword;
        loaded->Form_Load();
        return loaded;
    });
}

}  // namespace quillory
