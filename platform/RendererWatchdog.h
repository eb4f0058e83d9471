#pragma once
// Keeps a page from hanging the kiosk. A page whose script never ends holds
// its renderer, and a navigation to the same site waits on that renderer for
// ever. After each navigation the watchdog waits for a new document; if none
// comes and the renderer does not answer either, it ends the renderer, and
// the navigation is started again in a fresh one.

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
    static constexpr int kPatience = 5000;     // milliseconds
    static constexpr int kAnswerTime = 3000;   // milliseconds

    explicit RendererWatchdog(QWebEnginePage* page, QObject* parent);

    // A navigation to url has started.
    void Watch(const QUrl& url);
    // A document was created: the renderer is alive.
    void DocumentCreated();

private:
    void AskRenderer();
    void EndHungRenderer();

    QWebEnginePage* page_;
    QTimer* patience_;
    QTimer* answerTime_;
    QUrl url_;
    quint64 question_ = 0;
    bool restartPending_ = false;
};

}  // namespace quillory
