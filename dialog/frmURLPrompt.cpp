#include "dialog/frmURLPrompt.h"

#include "about/frmAbout.h"
#include "dialog/DelayText.h"
#include "dialog/TextBox.h"
#include "platform/CentreOnScreen.h"
#include "platform/Forms.h"
#include "platform/KeyCodes.h"
#include "platform/ProgramEnd.h"
#include "platform/ShowModal.h"
#include "platform/Twips.h"
#include "startup/NumberText.h"
#include "startup/modInitialise.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QPushButton>

namespace quillory {

using modInitialise::PresentationSettings;

namespace {

Boolean Ticked(const QCheckBox* box)
{
    return box->checkState() == Qt::Checked ? True : False;
}

}  // namespace

FrmURLPrompt::FrmURLPrompt()
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    CreateControls();
    setClientHeight(kExpandedHeight);

    connect(cmdOK, &QPushButton::clicked, this, &FrmURLPrompt::cmdOK_Click);
    connect(cmdClose, &QPushButton::clicked, this, &FrmURLPrompt::cmdClose_Click);
    connect(cmdMore, &QPushButton::clicked, this, &FrmURLPrompt::cmdMore_Click);
    connect(txtHomepageURL, &TextBox::GotFocus, this, &FrmURLPrompt::txtHomepageURL_GotFocus);
    connect(txtMinDelay, &TextBox::GotFocus, this, &FrmURLPrompt::txtMinDelay_GotFocus);
    connect(txtMinDelay, &TextBox::KeyPress, this, &FrmURLPrompt::txtMinDelay_KeyPress);
    connect(txtMinDelay, &TextBox::LostFocus, this, &FrmURLPrompt::txtMinDelay_LostFocus);

    // The bare surface and the credit label report every pointer move.
    setMouseTracking(true);
    lblCredits->setMouseTracking(true);

    // The default button's frame shows what Enter presses: the push button
    // that has the focus, otherwise Start.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (!now || now->window() != this)
            return;
        const bool onButton = now == cmdOK || now == cmdClose || now == cmdMore;
        for (QPushButton* button : {cmdOK, cmdClose, cmdMore})
            button->setDefault(onButton ? button == now : button == cmdOK);
    });
    qApp->installEventFilter(this);
}

FrmURLPrompt::~FrmURLPrompt()
{
    qApp->removeEventFilter(this);
}

void FrmURLPrompt::ShowModal()
{
    if (!placed_) {
        placed_ = true;
        CentreOnScreen(*this);
    }
    quillory::ShowModal(this);
}

void FrmURLPrompt::Hide()
{
    hide();
}

float FrmURLPrompt::ClientHeight() const
{
    return PixelsToTwips(height());
}

void FrmURLPrompt::setClientHeight(float twips)
{
    // Fixed in size: only the program changes it, and the top edge stays put.
    setFixedSize(TwipsRect(0, 0, kClientWidth, twips).size());
}

void FrmURLPrompt::Form_Load()
{
    setClientHeight(kCompactHeight);
    txtHomepageURL->SetText(PresentationSettings.HomepageURL);
    txtMinDelay->SetText(DelayText(PresentationSettings.MinDelay));
}

void FrmURLPrompt::cmdMore_Click()
{
    setClientHeight(kExpandedHeight);
    cmdMore->setEnabled(false);
}

void FrmURLPrompt::cmdOK_Click()
{
    if (txtHomepageURL->text().isEmpty())
        return;
    PresentationSettings.HomepageURL = txtHomepageURL->text();
    // Text that gives no 16-bit number (possible when Enter is pressed before
    // the box was left) is put right as leaving the box would, so the delay
    // stored is the one the box then shows.
    if (!ToInt16(txtMinDelay->text()))
        txtMinDelay->SetText(NormalisedDelayText(txtMinDelay->text()));
    PresentationSettings.MinDelay = static_cast<float>(ToInt16(txtMinDelay->text()).value_or(0));
    PresentationSettings.Password = QLocale::system().toLower(txtPassword->text());
    PresentationSettings.AllowNewWindows = Ticked(chkAllowNewWindows);
    PresentationSettings.WorkOffline = Ticked(chkWorkOffline);
    PresentationSettings.CloseOpenWindows = Ticked(chkCloseOpenWindows);
    Hide();
}

void FrmURLPrompt::cmdClose_Click()
{
    EndProgram(0);
}

void FrmURLPrompt::Form_Unload()
{
    EndProgram(0);
}

void FrmURLPrompt::Form_KeyUp(std::int16_t KeyCode, std::int16_t Shift)
{
    // The key's code read as a character: besides D, P and U this also
    // matches keypad 4 (100, "d"), F1 (112, "p") and F6 (117, "u").
    const QString key = QLocale::system().toLower(QString(QChar::fromLatin1(static_cast<char>(KeyCode & 0xFF))));
    if (!(Shift & kAltMask))
        return;
    if (key == QLatin1String("d"))
        txtMinDelay->setFocus();
    else if (key == QLatin1String("p"))
        txtPassword->setFocus();
    else if (key == QLatin1String("u"))
        txtHomepageURL->setFocus();
}

void FrmURLPrompt::txtHomepageURL_GotFocus()
{
    txtHomepageURL->setSelection(0, static_cast<int>(txtHomepageURL->text().size()));
}

void FrmURLPrompt::txtMinDelay_GotFocus()
{
    txtMinDelay->setSelection(0, static_cast<int>(txtMinDelay->text().size()));
}

void FrmURLPrompt::txtMinDelay_KeyPress(std::int16_t& KeyAscii)
{
    if ((KeyAscii >= '0' && KeyAscii <= '9') || KeyAscii == VK_BACK)
        return;
    KeyAscii = 0;
}

void FrmURLPrompt::txtMinDelay_LostFocus()
{
    const QString normalised = NormalisedDelayText(txtMinDelay->text());
    if (normalised != txtMinDelay->text())
        txtMinDelay->SetText(normalised);
}

void FrmURLPrompt::lblCredits_Click()
{
    auto* about = new FrmAbout(this);
    about->ShowModal();
}

void FrmURLPrompt::lblCredits_MouseMove(std::int16_t, std::int16_t, float, float)
{
    QFont font = lblCredits->font();
    if (font.underline())
        return;
    font.setUnderline(true);
    lblCredits->setFont(font);
}

void FrmURLPrompt::Form_MouseMove(std::int16_t, std::int16_t, float, float)
{
    QFont font = lblCredits->font();
    if (!font.underline())
        return;
    font.setUnderline(false);
    lblCredits->setFont(font);
}

void FrmURLPrompt::mouseMoveEvent(QMouseEvent* event)
{
    // Only moves over the bare surface arrive here: the controls keep theirs.
    const QPoint at = event->position().toPoint();
    Form_MouseMove(static_cast<std::int16_t>(ButtonMask(event->buttons())),
                   static_cast<std::int16_t>(ShiftMask(event->modifiers())), PixelsToTwips(at.x()),
                   PixelsToTwips(at.y()));
}

void FrmURLPrompt::closeEvent(QCloseEvent* event)
{
    event->accept();
    Form_Unload();
}

bool FrmURLPrompt::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        // A key event passes up from the focused control to its containers;
        // the dialog looks at it once, when the control gets it.
        auto* receiver = qobject_cast<QWidget*>(watched);
        if (receiver && receiver->window() == this && receiver == QApplication::focusWidget())
            return KeyPreview(receiver, static_cast<QKeyEvent*>(event));
        break;
    }
    case QEvent::Shortcut:
        // The labels' access keys land in their boxes when the key is
        // released (Form_KeyUp); pressing them does nothing more.
        if (watched == lblURL || watched == lnlDelay || watched == lblPassword)
            return true;
        break;
    default:
        if (watched == lblCredits)
            return CreditsEvent(event);
        break;
    }
    return QWidget::eventFilter(watched, event);
}

bool FrmURLPrompt::KeyPreview(QWidget* receiver, QKeyEvent* event)
{
    if (event->type() == QEvent::KeyRelease) {
        if (!event->isAutoRepeat())
            Form_KeyUp(static_cast<std::int16_t>(VirtualKeyCode(*event)),
                       static_cast<std::int16_t>(ShiftMask(event->modifiers())));
        return false;
    }
    // Enter presses the default button, Start, unless a push button has the
    // focus: that one takes Enter itself.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && !qobject_cast<QPushButton*>(receiver)) {
        cmdOK->click();
        return true;
    }
    return false;
}

bool FrmURLPrompt::CreditsEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseMove: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QPointF at = mouse->position();
        lblCredits_MouseMove(static_cast<std::int16_t>(ButtonMask(mouse->buttons())),
                             static_cast<std::int16_t>(ShiftMask(mouse->modifiers())),
                             static_cast<float>(at.x()) * TwipsPerPixel(),
                             static_cast<float>(at.y()) * TwipsPerPixel());
        break;
    }
    case QEvent::MouseButtonPress:
        creditsPressed_ = static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
        break;
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        // A click: pressed and released over the label with the left button.
        const bool click = creditsPressed_ && mouse->button() == Qt::LeftButton &&
                           lblCredits->rect().contains(mouse->position().toPoint());
        creditsPressed_ = false;
        if (click)
            lblCredits_Click();
        break;
    }
    default:
        break;
    }
    return false;
}

FrmURLPrompt& frmURLPrompt()
{
    static QPointer<FrmURLPrompt> form;
    return LoadedForm(form, [] {
        auto* loaded = new FrmURLPrompt;
        loaded->Form_Load();
        return loaded;
    });
}

}  // namespace quillory
