#pragma once
// A browser process on its way out, and the folders it may still write into.
// Its end is watched from the event loop (a pidfd, readable once the process
// has ended), so that nothing waits for it: the next visitor's browser starts
// meanwhile. One that has not ended within the grace time gets SIGKILL. Once
// it has ended it is reaped, its folders go (on the folder thread), and the
// watch deletes itself.

#include <QObject>

#include <memory>
#include <vector>

class QSocketNotifier;
class QTemporaryDir;
class QTimer;

namespace quillory {

class BrowserEnding : public QObject {
    Q_OBJECT
public:
    // Watches the process `pid`, a child of this one, which was asked to end.
    BrowserEnding(qint64 pid, int graceMs);
    // At the program's end: waits out what is left of the grace time at
    // most, ends the process if need be and reaps it, then removes the folders.
    ~BrowserEnding() override;

    // The folder goes once the process has ended.
    void KeepUntilEnded(std::unique_ptr<QTemporaryDir> folder);

    // Every browser still ending is waited for (bounded, as above), reaped,
    // and the folder work finished, its folders with it: for the program's end.
    static void FinishAll();

signals:
    void Ended();

private:
    void Reap();
    void RemoveFolders();
    void Kill();

    const qint64 pid_;
    int pidFd_ = -1;
    QSocketNotifier* endNotifier_ = nullptr;
    QTimer* poll_ = nullptr;  // where no pidfd can be had
    QTimer* grace_;
    bool reaped_ = false;
    std::vector<std::unique_ptr<QTemporaryDir>> folders_;
};

}  // namespace quillory
