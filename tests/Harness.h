#pragma once
// The pieces every in-process test shares: main() for the tests that run the
// web engine, fresh settings, waiting for a completed navigation, the hot
// corner, and a plain window holding one browser control.

#include "platform/browser/BrowserProfile.h"
#include "platform/DialogFont.h"
#include "platform/browser/EngineEnvironment.h"
#include "platform/Twips.h"
#include "platform/browser/WebBrowser.h"
#include "presentation/frmBrowser.h"
#include "startup/modInitialise.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebEngineView>
#include <QtTest>

// The engine's environment is settled first, as the program does, and each
// test process gets caches of its own so that parallel tests never share a
// disk cache.
#define QUILLORY_TEST_MAIN(TestClass)                                                  \
    int main(int argc, char** argv)                                                    \
    {                                                                                  \
        QTemporaryDir home;                                                            \
        qputenv("XDG_CACHE_HOME", home.filePath(QStringLiteral("cache")).toUtf8());  \
        quillory::PrepareEngineEnvironment();                                          \
        int status = 0;                                                                \
        {                                                                              \
            QApplication app(argc, argv);                                              \
            QApplication::setApplicationName(QStringLiteral("quillory-tests"));        \
            quillory::UseDialogFont();                                                 \
            {                                                                          \
                TestClass test;                                                        \
                status = QTest::qExec(&test, argc, argv);                              \
            }                                                                          \
            qDeleteAll(QApplication::topLevelWidgets());                               \
            quillory::ReleaseBrowserProfile();                                         \
        }                                                                              \
        quillory::RemoveSiteData();                                                    \
        return status;                                                                 \
    }

namespace harness {

// The settings a run starts with: none at all, or a homepage and a delay.
inline void ResetSettings(const QString& homepage = QString(), float delay = 0)
{
    using namespace quillory::modInitialise;
    PresentationSettings = PresentationSettingsRecord{};
    PresentationSettings.HomepageURL = homepage;
    PresentationSettings.MinDelay = delay;
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
inline bool WaitForCompletion(quillory::WebBrowser* browser, const QString& url, int timeout = 15000)
{
    QSignalSpy completed(browser, &quillory::WebBrowser::NavigateComplete2);
    return QTest::qWaitFor([&] { return CompletedUrls(completed).contains(url); }, timeout);
}

inline QWebEngineView* ViewOf(const quillory::WebBrowser* browser)
{
    return browser->findChild<QWebEngineView*>();
}

// The left button held in the presentation's bottom-left corner.
inline void HotCorner(quillory::FrmBrowser& form)
{
    form.Form_MouseMove(1, 0, 0, form.Height() - 1);
}

// A plain window filled by one browser control, shown.
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

}  // namespace harness
