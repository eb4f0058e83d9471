#pragma once
// The pieces every in-process test shares: main() for the tests that run the
// web engine, fresh settings, waiting for a completed navigation, the hot
// corner, a plain window holding one browser control, and the presentation
// over a local server's pages.

#include "HarnessSettings.h"
#include "LocalServer.h"
#include "RecordingUser32.h"
#include "platform/BrowserWindowMarker.h"
#include "platform/DialogFont.h"
#include "platform/Twips.h"
#include "platform/User32Provider.h"
#include "platform/browser/BrowserEngine.h"
#include "platform/browser/BrowserProfile.h"
#include "platform/browser/EngineEnvironment.h"
#include "platform/browser/QtWebEngineEntry.h"
#include "platform/browser/WebBrowser.h"
#include "presentation/frmBrowser.h"
#include "startup/modInitialise.h"

#include <QApplication>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebEngineView>
#include <QtTest>
#include <memory>

// The engine's environment is settled first, as the program does (the Qt
// WebEngine control linked in rather than loaded from its plugin), and each
// test process gets caches of its own so that parallel tests never share a
// disk cache or a data folder. The presentation runs on Qt WebEngine here,
// whose pages these tests reach into; the Chromium control has tests of its
// own, and the end-to-end tests run the program on both.
#define QUILLORY_TEST_MAIN(TestClass)                                               \
    int main(int argc, char** argv)                                                 \
    {                                                                               \
        QTemporaryDir home;                                                         \
        if (!qEnvironmentVariableIsSet("QUILLORY_ENGINE"))                          \
            qputenv("QUILLORY_ENGINE", "qtwebengine");                              \
        qputenv("XDG_CACHE_HOME", home.filePath(QStringLiteral("cache")).toUtf8()); \
        qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toUtf8());   \
        quillory::PrepareEngineEnvironment();                                       \
        quillory::UseLinkedQtWebEngine(&QuilloryCreateQtWebEngineBrowser);          \
        int status = 0;                                                             \
        {                                                                           \
            QApplication app(argc, argv);                                           \
            QApplication::setApplicationName(QStringLiteral("quillory-tests"));     \
            quillory::UseDialogFont();                                              \
            {                                                                       \
                TestClass test;                                                     \
                status = QTest::qExec(&test, argc, argv);                           \
            }                                                                       \
            qDeleteAll(QApplication::topLevelWidgets());                            \
        }                                                                           \
        quillory::RemoveSiteData();                                                 \
        return status;                                                              \
    }

namespace harness {

// One pixel of the screen, as the X server has it.
inline QColor ScreenPixel(QPoint at)
{
    return QGuiApplication::primaryScreen()->grabWindow(0, at.x(), at.y(), 1, 1).toImage().pixelColor(0, 0);
}

// Whether a colour is about the expected one: pages are drawn with some blur.
inline bool Near(const QColor& colour, const QColor& expected)
{
    return qAbs(colour.red() - expected.red()) <= 8 && qAbs(colour.green() - expected.green()) <= 8 &&
           qAbs(colour.blue() - expected.blue()) <= 8;
}

// A left click at a point of the screen through the X server, as a visitor's.
inline bool ClickOnScreen(QPoint at)
{
    return QProcess::execute(QStringLiteral("xdotool"),
                             {"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1"}) == 0;
}

// The visible windows that pages opened, known by the marker in their titles.
inline QList<QWidget*> BrowserWindows()
{
    QList<QWidget*> found;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() &&
            window->windowTitle().endsWith(QLatin1String(" - ") + quillory::kBrowserWindowMarker))
            found << window;
    }
    return found;
}

// The URLs of the completed navigations a spy on NavigateComplete2 saw.
inline QStringList CompletedUrls(const QSignalSpy& completed)
{
    QStringList urls;
    for (const QList<QVariant>& event : completed)
        urls << event.at(1).value<QVariant>().toString();
    return urls;
}

// Waits until the control reports a completed navigation to `url`.
inline bool WaitForCompletion(quillory::BrowserControl* browser, const QString& url, int timeout = 15000)
{
    QSignalSpy completed(browser, &quillory::BrowserControl::NavigateComplete2);
    return QTest::qWaitFor([&] { return CompletedUrls(completed).contains(url); }, timeout);
}

inline QWebEngineView* ViewOf(const quillory::BrowserControl* browser)
{
    return browser->findChild<QWebEngineView*>();
}

// The left button held in the presentation's bottom-left corner.
inline void HotCorner(quillory::FrmBrowser& form)
{
    form.Form_MouseMove(1, 0, 0, form.Height() - 1);
}

// A plain window filled by one browser control, shown.
// Counts the key presses that reach a widget, past every filter of the program's.
struct KeyCounter : QObject {
    explicit KeyCounter(QWidget& widget) { widget.installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override
    {
        count += event->type() == QEvent::KeyPress ? 1 : 0;
        return false;
    }
    int count = 0;
};

struct BrowserWindow {
    explicit BrowserWindow(QSize size = QSize(800, 700)) : browser(new quillory::WebBrowser(&window))
    {
        window.resize(size);
        browser->setWidth(size.width() * quillory::TwipsPerPixel());
        browser->setHeight(size.height() * quillory::TwipsPerPixel());
        window.show();
    }
    QWidget window;
    quillory::WebBrowser* browser;
};

// The presentation over the pages of a local server with a recording desktop,
// its idle timer never firing by itself: the tests tick it by hand. A test
// class derives from it, calls Start in init() and Stop in cleanup().
struct Presentation {
    // Fresh settings, with pages/home.html as the homepage and this delay.
    void Start(float delay)
    {
        user32_ = RecordingUser32{};
        quillory::ReplaceSystemUser32(&user32_);
        QVERIFY(server_.Start());
        ResetSettings(server_.Url(QStringLiteral("home.html")), delay);
    }
    // Shows the presentation; true once its homepage completed (or at once when not waiting).
    bool Load(bool waitForHomepage = true)
    {
        form_ = std::make_unique<quillory::FrmBrowser>(3600 * 1000);
        // Qt rounds a coarse timer this long to whole seconds, which would blur
        // the tests' reading of when it was last restarted.
        form_->tmrTimeout->setTimerType(Qt::PreciseTimer);
        form_->Show();
        return !waitForHomepage ||
               WaitForCompletion(form_->webBrowser, quillory::modInitialise::PresentationSettings.HomepageURL);
    }
    void Stop()
    {
        form_.reset();
        server_.Stop();
    }

    LocalServer server_;
    RecordingUser32 user32_;
    std::unique_ptr<quillory::FrmBrowser> form_;
};

}  // namespace harness
