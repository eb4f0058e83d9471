#pragma once
// A new browser window that a page opened on Qt WebEngine with the control's
// leave: the page in a view of its own, filling a popup frame.

#include "platform/browser/PopupFrame.h"

class QWebEngineProfile;
class QWebEngineView;

namespace quillory {

class BrowserPage;

class PopupWindow : public PopupFrame {
    Q_OBJECT
public:
    explicit PopupWindow(QWebEngineProfile* profile);
    ~PopupWindow() override;

    BrowserPage* page() const { return page_; }

private:
    void UpdateTitle();

    QWebEngineView* view_;
    BrowserPage* page_;
};

}  // namespace quillory
