#pragma once
// A new browser window that a page opened with the control's leave: a plain
// top-level window whose title is the page's title followed by the marker by
// which browser windows are known, so that the program can find and close it.

#include "platform/BrowserWindowMarker.h"
#include "platform/browser/PopupPlacement.h"

#include <QWidget>

class QWebEngineProfile;
class QWebEngineView;

namespace quillory {

class BrowserPage;

class PopupWindow : public QWidget {
    Q_OBJECT
public:
    explicit PopupWindow(QWebEngineProfile* profile);
    ~PopupWindow() override;

    BrowserPage* page() const { return page_; }

protected:
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void UpdateTitle();

    QWebEngineView* view_;
    BrowserPage* page_;
};

}  // namespace quillory
