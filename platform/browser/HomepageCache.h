#pragma once
// The disk cache that outlives visitors and runs holds only what loading the
// homepage alone put into it, never what a visitor's browsing did. Each
// visitor's browser works on a copy of it in the visit's own folder, which
// goes with the visit: nothing one visitor's pages cached is there for the
// next, and a later run reading only from the cache still finds the homepage.

#include <QString>

#include <memory>
#include <mutex>

class QTemporaryDir;

namespace quillory {

class HomepageCache {
public:
    // The cache kept in the user's cache folder under this name. A cache
    // that all visitors once shared, under the former name, holds their
    // pages: it goes.
    HomepageCache(const QString& name, const QString& formerName);
    ~HomepageCache();

    // Copies the kept cache into a new folder within the visit's folder, and
    // returns that folder, for the visitor's browser. Safe on a thread of
    // its own: the kept cache is never copied while a refresh replaces it.
    QString SeedVisit(const QString& visitFolder) const;

    // A copy of the kept cache for a browser that loads only the homepage to
    // refresh it; empty if none could be made. One refresh at a time.
    QString BeginRefresh();
    // The refreshed copy replaces the kept cache if the load went well, and
    // is dropped otherwise.
    void EndRefresh(bool loaded);

    QString Folder() const { return folder_; }

private:
    QString folder_;
    std::unique_ptr<QTemporaryDir> refreshing_;
    // Held while the kept cache is copied or replaced.
    mutable std::mutex kept_;
};

// Copies a folder's files and folders into another, made if need be.
bool CopyFolder(const QString& from, const QString& to);

}  // namespace quillory
