#pragma once
// The browser control as the forms see it, whichever engine draws the page:
// placed in twips, sent to URLs, switched to cache-only reading, made to
// forget its visitor, and raising an event before a page opens a new window
// and after every completed navigation of the page or of any of its frames.

#include "platform/Boolean.h"
#include "platform/TwipsPlacedWidget.h"

#include <QImage>
#include <QString>
#include <QVariant>

namespace quillory {

class BrowserControl : public TwipsPlacedWidget {
    Q_OBJECT
public:
    using TwipsPlacedWidget::TwipsPlacedWidget;

    // Starts loading a URL or a file path and returns at once.
    virtual void Navigate(const QString& url) = 0;

    // Forgets the visitor: closes the windows the page opened, and goes on
    // in a new page that knows no site data, back/forward list or visited
    // link of the last visitor; the clipboard and the selection are emptied
    // where the program holds them. The offline mode and the disk cache
    // stay. Navigate afterwards.
    virtual void ForgetVisitor() = 0;

    // True: pages come only from the disk cache and no request leaves the
    // machine. Navigations asked for meanwhile wait until the engine has
    // taken the setting.
    virtual void setOffline(bool offline) = 0;
    virtual bool Offline() const = 0;

    // What the control shows now, as drawn on the screen.
    virtual QImage Picture() { return grab().toImage(); }

    // Whether the engine's processes live on from one visitor to the next,
    // so that their memory may grow over weeks of visits.
    virtual bool EngineOutlivesVisitors() const { return true; }

    // Types into the field of a page that has the focus, as the visitor
    // would on a keyboard: characters as text, never as a browser shortcut.
    virtual void TypeText(const QString& text) { Q_UNUSED(text); }
    // Backspace, Tab, Return, Left or Right, to the field that has the focus.
    virtual void TypeKey(Qt::Key key) { Q_UNUSED(key); }

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
    // The engine's process ended by itself (killed, crashed), with the page
    // and its windows: nothing shows until the control forgets its visitor.
    void BrowserEnded();
    // A text field of a page (in any frame, or in a window a page opened) got
    // the focus; byTouch when a touch gave it. singleLine: Return ends the
    // typing there, as in an input rather than a text area.
    void TextFieldFocused(bool byTouch, bool singleLine);
    // The field that had the focus lost it, and no other took it.
    void TextFieldLeft();
    // The pointer used last on a page was a finger (true) or a mouse (false).
    void PointerKindChanged(bool touch);
};

}  // namespace quillory
