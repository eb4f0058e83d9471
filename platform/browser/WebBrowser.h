#pragma once
// The browser control: a web view that the program places in twips, sends to
// URLs, switches to cache-only reading, and that raises two events: before a
// page opens a new window, and after every completed navigation of the page
// or of any of its frames.

#include "platform/Boolean.h"

#include "platform/browser/Visit.h"

#include "platform/TwipsPlacedWidget.h"
#include <QString>
#include <QVariant>

#include <QWidget>

#include <memory>

class QWebEnginePage;

namespace quillory {

class WebBrowser : public TwipsPlacedWidget {
    Q_OBJECT
public:
    // A control for one visit only (the About box's) makes no visit in
    // advance for a next visitor.
    enum class Visits { OneAfterAnother, One };
    explicit WebBrowser(QWidget* parent, Visits visits = Visits::OneAfterAnother);
    ~WebBrowser() override;

    // Starts loading a URL or a file path and returns at once.
    void Navigate(const QString& url);

    // Forgets the visitor: closes the windows the page opened, and gives the
    // control a new page in a new profile, so that no site data, back/forward
    // list or visited link of the last visitor is left; the clipboard and the
    // selection are emptied where the program holds them. The offline mode
    // and the disk cache stay. Navigate afterwards.
    void ForgetVisitor();

    // True: pages come only from the disk cache and no request leaves the
    // machine. Navigations asked for meanwhile wait until the engine has
    // taken the setting.
    void setOffline(bool offline);
    bool Offline() const;

signals:
    // A page asks for a new window, which does not exist yet. Setting *Cancel
    // to True stops it; otherwise it opens as a window of its own, titled
    // with the page's title and the browser-window marker.
    void NewWindow2(QObject** ppDisp, Boolean* Cancel);
    // A navigation of the page or one of its frames has completed, also for
    // the same URL again and for a load that ended on an error page.
    void NavigateComplete2(QObject* pDisp, const QVariant& URL);
    // The page has finished loading, with its frames and images, or ended on
    // an error page.
    void DocumentComplete(QObject* pDisp, const QVariant& URL);

private:
    void StartVisit();
    void ScheduleSpareVisit();
    QWebEnginePage* OpenNewWindow();
    void StartPendingNavigation();

    // The visitor's, on the screen; and the next visitor's, waiting.
    std::unique_ptr<Visit> visit_;
    std::unique_ptr<Visit> spare_;
    const Visits visits_;
    bool dropEarlierEntries_ = false;
    QString pendingUrl_;
    bool hasPendingUrl_ = false;
};

}  // namespace quillory
