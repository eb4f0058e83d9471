#pragma once
// Keeps a page from hanging the kiosk. A page whose script never ends holds
// its renderer, and a navigation to the same site waits on that renderer for
// ever. After each navigation the watchdog waits for a new document; if none
// comes and the renderer does not answer either, it ends the renderer, and
// the navigation is started again in a fresh one.
//
// It also covers a gap of the engine: the first documents of a page in a
// renderer (the page's first renderer, or a new one after the last ended,
// killed or crashed) are sometimes created before the renderer has the
// document reporter, and then report nothing. Until the page's own document
// has been reported once in its renderer, a load that finishes without that
// report is reported by the watchdog.

#include <QObject>
#include <QUrl>

class QTimer;
class QWebEnginePage;

namespace quillory {

class RendererWatchdog : public QObject {
    Q_OBJECT
public:
    // How long a navigation may go without a new document before the
    // renderer is asked whether it still answers, and how long it has to.
    static constexpr int kPatience = 5000;    // milliseconds
    static constexpr int kAnswerTime = 3000;  // milliseconds

    explicit RendererWatchdog(QWebEnginePage* page, QObject* parent);

    // A navigation to url has started.
    void Watch(const QUrl& url);
    // A document was created, the page's own or a frame's: the renderer is alive.
    void DocumentCreated(bool topLevel);

signals:
    // The page's document at url was created but not reported.
    void documentUnreported(const QString& url);

private:
    void AskRenderer();
    void EndHungRenderer();

    QWebEnginePage* page_;
    QTimer* patience_;
    QTimer* answerTime_;
    QUrl url_;
    quint64 question_ = 0;
    bool restartPending_ = false;
    bool awaitingReport_ = true;   // no page document reported yet in this renderer
    bool unreportedLoad_ = false;  // a load started meanwhile, its page not reported yet
};

}  // namespace quillory
