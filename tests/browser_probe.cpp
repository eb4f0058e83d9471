// Drives one browser control in a window and prints its events, one a line:
//   NavigateComplete2 <url>
//   NewWindow2 cancelled|allowed
// Usage: browser_probe [--offline] [--allow-new-windows] [--seconds S] [--step MS] [--proxy PORT] URL...
// --proxy sends every request through an HTTP proxy on 127.0.0.1, as an
// operator's network may.
// The URLs are navigated to one after another, each once the previous one has
// completed its first navigation (or after --step milliseconds).
// Used by the tests to see the control across separate runs of a process.

#include "platform/browser/BrowserProfile.h"
#include "platform/browser/EngineEnvironment.h"
#include "platform/browser/WebBrowser.h"

#include <QApplication>
#include <QNetworkProxy>
#include <QTimer>
#include <QWidget>
#include <cstdio>

using namespace quillory;

int main(int argc, char** argv)
{
    PrepareEngineEnvironment();
    {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quillory"));

    bool offline = false, allow = false;
    double seconds = 5;
    int stepMs = 1500;
    QStringList urls;
    const QStringList args = QApplication::arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--offline"))
            offline = true;
        else if (args[i] == QLatin1String("--allow-new-windows"))
            allow = true;
        else if (args[i] == QLatin1String("--seconds") && i + 1 < args.size())
            seconds = args[++i].toDouble();
        else if (args[i] == QLatin1String("--step") && i + 1 < args.size())
            stepMs = args[++i].toInt();
        else if (args[i] == QLatin1String("--proxy") && i + 1 < args.size())
            QNetworkProxy::setApplicationProxy(
                QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), args[++i].toUShort()));
        else
            urls << args[i];
    }

    {
        QWidget window;
        window.resize(800, 600);
        auto* browser = new WebBrowser(&window);
        browser->setWidth(800 * 15);
        browser->setHeight(600 * 15);
        QObject::connect(browser, &WebBrowser::NavigateComplete2, [](QObject*, const QVariant& url) {
            std::printf("NavigateComplete2 %s\n", qPrintable(url.toString()));
            std::fflush(stdout);
        });
        QObject::connect(browser, &WebBrowser::NewWindow2, [allow](QObject**, Boolean* cancel) {
            if (!allow)
                *cancel = True;
            std::printf("NewWindow2 %s\n", allow ? "allowed" : "cancelled");
            std::fflush(stdout);
        });
        window.show();
        browser->setOffline(offline);
        for (int i = 0; i < urls.size(); ++i)
            QTimer::singleShot(i * stepMs, browser, [browser, url = urls[i]] { browser->Navigate(url); });
        QTimer::singleShot(static_cast<int>(seconds * 1000), &app, &QApplication::quit);
        app.exec();
    }
    ReleaseBrowserProfile();
    }
    RemoveSiteData();
    return 0;
}
