#pragma once
// What one visitor uses of the engine: a profile that knows nothing of any
// earlier visitor, its page, and once the visit starts the view that shows
// it, the page's offline switch and renderer watchdog, and the windows the
// page opened. Deleting a visit takes all of it down in the order the
// engine needs: the windows and the view before the page, the page before
// its profile, and the profile's site data last.

#include <QList>
#include <QPointer>

class QWebEngineProfile;
class QWebEngineView;
class QWidget;

namespace quillory {

class BrowserPage;
class OfflineMode;
class PopupWindow;
class RendererWatchdog;

class Visit {
public:
    Visit();
    ~Visit();
    Visit(const Visit&) = delete;
    Visit& operator=(const Visit&) = delete;

    // Starts the visit: shows the page in a view of its own, made within
    // `parent`, and makes its offline switch and watchdog. A view keeps what
    // it showed for a page (a text input's list of suggestions, with calls
    // queued to the page), so that no view outlives its visit. The watchdog
    // counts the renderer's first load from here, as the visitor's.
    QWebEngineView* Show(QWidget* parent);
    void ClosePopups();

    QWebEngineProfile* const profile;
    BrowserPage* const page;
    QWebEngineView* view = nullptr;
    OfflineMode* offline = nullptr;
    RendererWatchdog* watchdog = nullptr;
    QList<QPointer<PopupWindow>> popups;
    // The renderer ended before the visit was ever shown: a view the page
    // is then put into crashes, so such a visit is never shown.
    bool rendererEndedUnseen = false;
};

}  // namespace quillory
