#pragma once
// Refreshes the cache kept for later runs: a headless browser of its own,
// on a copy of that cache and a throwaway profile, loads the homepage alone,
// once the visible browser has shown it; the copy then replaces the kept
// cache. Nothing a visitor does ever reaches it.

#include "platform/browser/HomepageCache.h"

#include <QObject>
#include <QString>

#include <memory>

class QProcess;
class QTemporaryDir;

namespace quillory {

class HomepageRefresh : public QObject {
    Q_OBJECT
public:
    explicit HomepageRefresh(HomepageCache& cache, QObject* parent = nullptr);
    // A refresh still going is given a moment to finish, as the program ends.
    ~HomepageRefresh() override;

    // Loads the homepage into a copy of the cache; once in a run.
    void Start(const QString& url);
    // Ends a refresh still going, keeping the cache as it was: the program
    // went offline, and reads nothing from the network since.
    void Cancel();
    bool Running() const;

signals:
    // The load ended; the cache was replaced if it went well.
    void Finished(bool refreshed);

private:
    void End(bool loaded);

    HomepageCache& cache_;
    QProcess* browser_ = nullptr;
    std::unique_ptr<QTemporaryDir> profile_;
    std::unique_ptr<QTemporaryDir> shortTemporary_;  // only where profile_ is too deep
    bool started_ = false;
};

}  // namespace quillory
