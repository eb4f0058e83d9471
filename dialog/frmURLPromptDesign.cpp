// The settings dialog's design: the window and its nineteen controls with
// their texts, places (twips within the client area, or within Frame1 for
// the four labels it holds), tab order, tooltips and limits.

#include "dialog/TextBox.h"
#include "dialog/frmURLPrompt.h"
#include "platform/DialogFont.h"
#include "platform/Twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

namespace quillory {

namespace {

const char kCredits[] = "by its authors  |  quillory.invalid  |  Version 1.7";
const QColor kCreditsGreen(0, 128, 0);

template <typename Control>
Control* Place(Control* control, const char* name, float left, float top, float width, float height)
{
    control->setObjectName(QLatin1String(name));
    control->setGeometry(TwipsRect(left, top, width, height));
    return control;
}

QLabel* Label(QWidget* container, const char* name, const char* text, Qt::Alignment alignment, float left, float top,
              float width, float height)
{
    auto* label = Place(new QLabel(QString::fromUtf8(text), container), name, left, top, width, height);
    label->setAlignment(alignment | Qt::AlignTop);
    // The design's widths were measured for a narrower font than the one at
    // hand: a right-aligned text that does not fit grows to the left, so it
    // still ends where designed and is not cut off.
    const QRect box = label->geometry();
    const int needed = label->fontMetrics().horizontalAdvance(QString(text).remove(QLatin1Char('&')));
    if (alignment & Qt::AlignRight && needed > box.width())
        label->setGeometry(QRect(QPoint(std::max(0, box.right() + 1 - needed), box.top()), box.bottomRight()));
    return label;
}

TextBox* Box(QWidget* container, const char* name, int maxLength, const char* toolTip, float left, float top,
             float width, float height)
{
    auto* box = Place(new TextBox(container), name, left, top, width, height);
    box->setMaxLength(maxLength);
    box->setToolTip(QString::fromUtf8(toolTip));
    return box;
}

QCheckBox* CheckBox(QWidget* container, const char* name, const char* text, const char* toolTip, float left, float top,
                    float width, float height)
{
    auto* box = Place(new QCheckBox(QString::fromUtf8(text), container), name, left, top, width, height);
    box->setToolTip(QString::fromUtf8(toolTip));
    return box;
}

QPushButton* Button(QWidget* container, const char* name, const char* text, float left, float top, float width,
                    float height)
{
    auto* button = Place(new QPushButton(QString::fromUtf8(text), container), name, left, top, width, height);
    // A button with the focus takes Enter itself.
    button->setAutoDefault(true);
    return button;
}

}  // namespace

void FrmURLPrompt::CreateControls()
{
    setObjectName(QStringLiteral("frmURLPrompt"));
    setWindowTitle(QStringLiteral("Quillory"));
    setWindowIcon(QApplication::windowIcon());

    constexpr Qt::Alignment right = Qt::AlignRight;
    constexpr Qt::Alignment left = Qt::AlignLeft;

    lblURL = Label(this, "lblURL", "Homepage &URL:", right, 0, 285, 1335, 255);
    txtHomepageURL = Box(this, "txtHomepageURL", 255, "The URL of the first web page of the presentation", 1440, 210,
                         3135, 315);
    lnlDelay = Label(this, "lnlDelay", "Minimum &delay:", right, 240, 765, 1095, 255);
    txtMinDelay = Box(this, "txtMinDelay", 4, "The minimum delay before the presentation resets to the Homepage URL",
                      1440, 720, 405, 315);
    lblSeconds = Label(this, "lblSeconds", "seconds", left, 1920, 765, 735, 255);
    lblOptions = Label(this, "lblOptions", "Options:", right, 240, 1200, 1095, 255);
    chkAllowNewWindows = CheckBox(this, "chkAllowNewWindows", "Allow &new windows",
                                  "Allow visitors to open new browser windows", 1440, 1200, 2055, 255);
    chkWorkOffline = CheckBox(this, "chkWorkOffline", "Work &offline",
                              "Force Internet Explorer to read web pages from its cache", 1440, 1440, 2055, 255);
    chkCloseOpenWindows = CheckBox(this, "chkCloseOpenWindows", "&Close open windows",
                                   "Close all open browser windows when the presentation resets to the Homepage URL",
                                   1440, 1680, 2055, 255);
    txtPassword = Box(this, "txtPassword", 8, "", 1440, 2040, 975, 315);
    lblPassword = Label(this, "lblPassword", "&Password:", right, 240, 2100, 1095, 255);
    cmdOK = Button(this, "cmdOK", "&Start", 1440, 2520, 975, 375);
    cmdClose = Button(this, "cmdClose", "C&lose", 2520, 2520, 975, 375);
    cmdMore = Button(this, "cmdMore", "&More >>", 3600, 2520, 975, 375);

    Frame1 = Place(new QGroupBox(QStringLiteral("Quillory"), this), "Frame1", 120, 3120, 4455, 2175);
    lblSubTitle = Label(Frame1, "lblSubTitle", kCredits, left, 120, 240, 3495, 255);
    lblHelp1 = Label(
        Frame1, "lblHelp1",
        "Run Quillory from a shortcut without seeing this dialog by adding parameters to the command line:", left, 240,
        720, 3975, 495);
    lblHelp2 = Label(Frame1, "lblHelp2",
                     "quillory.exe URL , MinDelay , allowNewWindows , workOffline , closeOpenWindows , pass:password",
                     left, 360, 1320, 3975, 615);
    lblCredits = Label(Frame1, "lblCredits", "More about Quillory...", left, 240, 1890, 3975, 255);

    // The default button.
    cmdOK->setDefault(true);

    // The labels show their access keys; the keys themselves act in Form_KeyUp.
    lblURL->setBuddy(txtHomepageURL);
    lnlDelay->setBuddy(txtMinDelay);
    lblPassword->setBuddy(txtPassword);

    // Frame1's caption: larger, bold, in the colour of an active title bar.
    // Its labels keep the dialog font.
    // Like a classic group box, the caption interrupts the frame's top line.
    Frame1->setFont(DialogFont(9.75, true));
    Frame1->setStyleSheet(
        QStringLiteral("#Frame1 { border: 1px solid palette(mid); border-radius: 2px; margin-top: %1px; }"
                       "#Frame1::title { subcontrol-origin: margin; left: %2px; padding: 0 2px;"
                       " color: %3; background-color: palette(window); }")
            .arg(Frame1->fontMetrics().height() / 2)
            .arg(TwipsToPixels(90))
            .arg(palette().color(QPalette::Active, QPalette::Highlight).name()));
    for (QLabel* label : {lblSubTitle, lblHelp1, lblHelp2, lblCredits})
        label->setFont(DialogFont());
    lblHelp1->setWordWrap(true);
    lblHelp2->setWordWrap(true);

    QPalette green = lblCredits->palette();
    green.setColor(QPalette::WindowText, kCreditsGreen);
    lblCredits->setPalette(green);

    // The delay box takes digits only, typed one key at a time.
    txtMinDelay->setAttribute(Qt::WA_InputMethodEnabled, false);

    QWidget::setTabOrder(txtHomepageURL, txtMinDelay);
    QWidget::setTabOrder(txtMinDelay, chkAllowNewWindows);
    QWidget::setTabOrder(chkAllowNewWindows, chkWorkOffline);
    QWidget::setTabOrder(chkWorkOffline, chkCloseOpenWindows);
    QWidget::setTabOrder(chkCloseOpenWindows, txtPassword);
    QWidget::setTabOrder(txtPassword, cmdOK);
    QWidget::setTabOrder(cmdOK, cmdClose);
    QWidget::setTabOrder(cmdClose, cmdMore);
    txtHomepageURL->setFocus();
}

}  // namespace quillory
