#include "about/frmAbout.h"

#include "platform/KeyCodes.h"
#include "platform/ShowModal.h"
#include "platform/Twips.h"

#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QWindow>

namespace quillory {

namespace {

constexpr float kClientWidth = 6135;
constexpr float kClientHeight = 4095;

const char kPage[] = "index.htm";

}  // namespace

FrmAbout::FrmAbout(QWidget* opener)
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      cmdOK(new QPushButton(QStringLiteral("OK"), this)),
      webBrowser(new QTextBrowser(this)),
      opener_(opener)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Quillory"));
    setWindowIcon(QApplication::windowIcon());
    // Closing it, by OK or by the close box, unloads it.
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(TwipsRect(0, 0, kClientWidth, kClientHeight).size());

    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(TwipsRect(4755, 3600, 1260, 345));
    cmdOK->setDefault(true);
    cmdOK->setAutoDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &FrmAbout::cmdOK_Click);

    webBrowser->setObjectName(QStringLiteral("webBrowser"));
    webBrowser->setGeometry(TwipsRect(120, 120, 5895, 3375));
    // The page's own background meets the box's, as a web view's would.
    webBrowser->setFrameShape(QFrame::NoFrame);

    setTabOrder(cmdOK, webBrowser);
    cmdOK->setFocus();
    setMouseTracking(true);
    Form_Load();
}

void FrmAbout::ShowModal()
{
    const QWidget* over = opener_ ? opener_->window() : nullptr;
    if (over)
        move(over->frameGeometry().center() - rect().center());
    quillory::ShowModal(this);
}

void FrmAbout::showEvent(QShowEvent* event)
{
    // Owned by no widget, so it lives and dies on its own; the window system
    // still learns whose box it is, which keeps it above the opener and out
    // of the taskbar. Set here, once the window exists in its final form.
    if (opener_ && windowHandle())
        windowHandle()->setTransientParent(opener_->window()->windowHandle());
    QWidget::showEvent(event);
}

void FrmAbout::Unload()
{
    close();
}

void FrmAbout::Form_Load()
{
    // The page lies beside the program; whether it is there is not checked:
    // the control stays empty for a page it cannot load.
    webBrowser->setSource(
        QUrl::fromLocalFile(QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(kPage)));
}

void FrmAbout::cmdOK_Click()
{
    Unload();
}

void FrmAbout::Form_MouseMove(std::int16_t, std::int16_t, float, float)
{
    // The arrow, over every window of the program, for the rest of the run.
    static bool arrowSet = false;
    if (arrowSet)
        return;
    arrowSet = true;
    QApplication::setOverrideCursor(Qt::ArrowCursor);
}

void FrmAbout::keyPressEvent(QKeyEvent* event)
{
    // OK is the default and the cancel button: Enter and Esc both press it.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        cmdOK->click();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void FrmAbout::mouseMoveEvent(QMouseEvent* event)
{
    // Only moves over the bare surface arrive here: the controls keep theirs.
    const QPoint at = event->position().toPoint();
    const auto Button = static_cast<std::int16_t>(ButtonMask(event->buttons()));
    Form_MouseMove(Button, static_cast<std::int16_t>(ShiftMask(event->modifiers())), PixelsToTwips(at.x()),
                   PixelsToTwips(at.y()));
}

}  // namespace quillory
