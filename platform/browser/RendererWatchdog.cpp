#include "platform/browser/RendererWatchdog.h"

#include "platform/Processes.h"

#include <QTimer>
#include <QWebEnginePage>

namespace quillory {

RendererWatchdog::RendererWatchdog(QWebEnginePage* page, QObject* parent)
    : QObject(parent),
      page_(page),
      patience_(new QTimer(this)),
      answerTime_(new QTimer(this))
{
    patience_->setSingleShot(true);
    patience_->setInterval(kPatience);
    answerTime_->setSingleShot(true);
    answerTime_->setInterval(kAnswerTime);
    connect(patience_, &QTimer::timeout, this, &RendererWatchdog::AskRenderer);
    connect(answerTime_, &QTimer::timeout, this, &RendererWatchdog::EndHungRenderer);
    // Once the hung renderer is gone, the navigation starts again in a new one.
    connect(page_, &QWebEnginePage::renderProcessTerminated, this, [this] {
        awaitingReport_ = true;
        unreportedLoad_ = false;
        if (!restartPending_)
            return;
        restartPending_ = false;
        page_->load(url_);
        patience_->start();
    });
    connect(page_, &QWebEnginePage::loadStarted, this, [this] { unreportedLoad_ = awaitingReport_; });
    connect(page_, &QWebEnginePage::loadFinished, this, [this] {
        if (!unreportedLoad_)
            return;
        DocumentCreated(true);
        emit documentUnreported(page_->url().toString());
    });
}

void RendererWatchdog::Watch(const QUrl& url)
{
    url_ = url;
    answerTime_->stop();
    patience_->start();
}

void RendererWatchdog::DocumentCreated(bool topLevel)
{
    if (topLevel) {
        awaitingReport_ = false;
        unreportedLoad_ = false;
    }
    patience_->stop();
    answerTime_->stop();
}

void RendererWatchdog::AskRenderer()
{
    const quint64 question = ++question_;
    answerTime_->start();
    page_->runJavaScript(QStringLiteral("0"), [this, question](const QVariant&) {
        if (question != question_)
            return;
        // A renderer that answers is alive; the page is only slow to come.
        answerTime_->stop();
        patience_->start();
    });
}

void RendererWatchdog::EndHungRenderer()
{
    ++question_;  // an answer that comes after all no longer counts
    restartPending_ = true;
    EndProcess(page_->renderProcessPid());
}

}  // namespace quillory
