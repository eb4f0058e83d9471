#pragma once
// The browser control on Qt WebEngine: the page in a web view of the
// program's own, the next visitor's page waiting in a profile of its own.

#include "platform/browser/BrowserControl.h"
#include "platform/browser/PendingNavigation.h"
#include "platform/browser/Visit.h"

#include <memory>

class QWebEnginePage;

namespace quillory {

class WebBrowser : public BrowserControl {
    Q_OBJECT
public:
    // A control for one visit only (the About box's) makes no visit in
    // advance for a next visitor.
    enum class Visits { OneAfterAnother, One };
    explicit WebBrowser(QWidget* parent, Visits visits = Visits::OneAfterAnother);
    ~WebBrowser() override;

    void Navigate(const QString& url) override;
    void ForgetVisitor() override;
    void setOffline(bool offline) override;
    bool Offline() const override;

private:
    void StartVisit();
    void ScheduleSpareVisit();
    QWebEnginePage* OpenNewWindow();
    void Load(const QString& address);

    // The visitor's, on the screen; and the next visitor's, waiting.
    std::unique_ptr<Visit> visit_;
    std::unique_ptr<Visit> spare_;
    const Visits visits_;
    bool dropEarlierEntries_ = false;
    PendingNavigation pending_;
};

}  // namespace quillory
