#include "presentation/frmBrowser.h"

#include "platform/Forms.h"
#include "platform/KeyCodes.h"
#include "platform/Twips.h"
#include "platform/User32Provider.h"
#include "platform/WindowManager.h"
#include "platform/browser/BrowserControl.h"
#include "platform/browser/BrowserEngine.h"
#include "presentation/CloseBrowserWindows.h"
#include "presentation/HomepagePicture.h"
#include "presentation/KeyboardDock.h"
#include "presentation/PersonNearby.h"
#include "presentation/TouchPointer.h"
#include "startup/modInitialise.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMouseEvent>
#include <QTimer>
#include <utility>

namespace quillory {

using modInitialise::PresentationSettings;

namespace {

const char kCaption[] = "Quillory";

}  // namespace

FrmBrowser::FrmBrowser(int timerInterval)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      webBrowser(CreatePresentationBrowser(this)),
      tmrTimeout(new QTimer(this)),
      homepagePicture_(new HomepagePicture(*this)),
      keyboardDock_(new KeyboardDock(*this, ChosenKeyboardMode(), ChosenKeyboardLayout()))
{
    setObjectName(QStringLiteral("frmBrowser"));
    setWindowTitle(QString::fromLatin1(kCaption));
    setWindowIcon(QApplication::windowIcon());
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);

    // Moves over the uncovered strip arrive even with no button held.
    setMouseTracking(true);
    WatchStripBehindPopups();
    tmrTimeout->setInterval(timerInterval);
    connect(tmrTimeout, &QTimer::timeout, this, &FrmBrowser::tmrTimeout_Timer);
    connect(webBrowser, &BrowserControl::NewWindow2, this, &FrmBrowser::webBrowser_NewWindow2);
    connect(webBrowser, &BrowserControl::NavigateComplete2, this, &FrmBrowser::webBrowser_NavigateComplete2);
    connect(webBrowser, &BrowserControl::NewWindow2, this, &FrmBrowser::NewWindowAsked);
    connect(webBrowser, &BrowserControl::BrowserEnded, this, &FrmBrowser::webBrowser_BrowserEnded);
    connect(webBrowser, &BrowserControl::NavigateComplete2, this,
            [this](QObject*, const QVariant& url) { emit NavigateComplete(url.toString()); });
    connect(webBrowser, &BrowserControl::DocumentComplete, this,
            [this](QObject*, const QVariant& url) { emit DocumentComplete(url.toString()); });
    connect(webBrowser, &BrowserControl::TextFieldFocused, keyboardDock_, &KeyboardDock::PageFieldFocused);
    connect(webBrowser, &BrowserControl::TextFieldLeft, keyboardDock_, &KeyboardDock::PageFieldLeft);
    auto* pointer = new TouchPointer(this);
    connect(webBrowser, &BrowserControl::PointerKindChanged, pointer, &TouchPointer::PointerUsed);
}

void FrmBrowser::Show()
{
    if (!loaded_) {
        loaded_ = true;
        tmrTimeout->start();
        Form_Load();
    }
    // Switching desktops never uncovers the desktop behind: the window is on
    // every one. Asked before it is shown, and again once the window manager
    // manages it.
    ShowOnEveryDesktop(winId());
    show();
    ShowOnEveryDesktop(winId());
}

void FrmBrowser::CloseBrowser()
{
    delete webBrowser;
    webBrowser = nullptr;
}

void FrmBrowser::Navigate(const QString& url)
{
    if (webBrowser)
        webBrowser->Navigate(url);
}

bool FrmBrowser::EngineOutlivesVisitors() const
{
    return webBrowser && webBrowser->EngineOutlivesVisitors();
}

QImage FrmBrowser::BrowserPicture() const
{
    return webBrowser ? webBrowser->Picture() : QImage();
}

void FrmBrowser::Form_Load()
{
    PlaceOnScreens();
    FollowScreens();

    webBrowser->setOffline(PresentationSettings.WorkOffline != False);
    homeRequested_ = true;
    homepagePicture_->HomepageAsked();
    webBrowser->Navigate(PresentationSettings.HomepageURL);
    TickCount = 0;

    if (!PresentationSettings.Password.isEmpty()) {
        std::int32_t previous = 0;
        SystemUser32().SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, API_TRUE, &previous, 0);
    }
}

void FrmBrowser::webBrowser_NewWindow2(QObject**, Boolean* Cancel)
{
    if (PresentationSettings.AllowNewWindows == False)
        *Cancel = True;
    if (PresentationSettings.CloseOpenWindows != False)
        CloseBrowserWindows();
}

// Restarts the idle count when the homepage arrives, and for any other
// navigation only when a person used the kiosk within the delay before it: a
// page that navigates by itself keeps nobody's visit on the screen.
void FrmBrowser::webBrowser_NavigateComplete2(QObject*, const QVariant&)
{
    const bool personThere = PersonUsedKioskWithin(SystemUser32(), IdleDelayMs());
    if (!std::exchange(homeRequested_, false) && !personThere)
        return;
    tmrTimeout->stop();
    tmrTimeout->start();
    TickCount = 0;
}

void FrmBrowser::CloseBrowserWindows()
{
    quillory::CloseBrowserWindows(SystemUser32(), static_cast<WindowHandle>(winId()),
                                  windowTitle().toLocal8Bit().toStdString());
}

void FrmBrowser::mouseMoveEvent(QMouseEvent* event)
{
    const Qt::MouseButtons buttons = event->buttons();
    const std::int16_t Button = (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0) |
                                (buttons & Qt::MiddleButton ? 4 : 0);
    const QPointF position = event->position();
    movedByTouch_ = event->source() != Qt::MouseEventNotSynthesized ||
                    event->pointingDevice()->type() == QInputDevice::DeviceType::TouchScreen;
    Form_MouseMove(Button, static_cast<std::int16_t>(ShiftMask(event->modifiers())),
                   static_cast<float>(position.x()) * TwipsPerPixel(),
                   static_cast<float>(position.y()) * TwipsPerPixel());
}

void FrmBrowser::closeEvent(QCloseEvent* event)
{
    event->ignore();
}

float FrmBrowser::Left() const
{
    return PixelsToTwips(geometry().x());
}

float FrmBrowser::Top() const
{
    return PixelsToTwips(geometry().y());
}

float FrmBrowser::Width() const
{
    return PixelsToTwips(geometry().width());
}

float FrmBrowser::Height() const
{
    return PixelsToTwips(geometry().height());
}

void FrmBrowser::setLeft(float twips)
{
    move(TwipsToPixels(twips), y());
}

void FrmBrowser::setTop(float twips)
{
    move(x(), TwipsToPixels(twips));
}

void FrmBrowser::setWidth(float twips)
{
    resize(TwipsToPixels(twips), height());
}

void FrmBrowser::setHeight(float twips)
{
    resize(width(), TwipsToPixels(twips));
}

FrmBrowser& frmBrowser()
{
    static QPointer<FrmBrowser> form;
    return LoadedForm(form, [] {
        // QUILLORY_TICK_MS shortens the tick, for benchmarks of long runs of the real program.
        const int tick = qEnvironmentVariableIntValue("QUILLORY_TICK_MS");
        return new FrmBrowser(tick > 0 ? tick : FrmBrowser::kTimerInterval);
    });
}

}  // namespace quillory
