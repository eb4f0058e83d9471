#pragma once
// The folders one visitor's browser starts in: its site data with the
// preferences it starts from, a copy of the homepage's disk cache, its
// temporary files, and a PATH in which links to other programs start
// nothing. Whatever folders a set still holds when it goes are removed on a
// folder thread, never on the GUI thread.

#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace quillory {

struct VisitFolders {
    VisitFolders() = default;
    VisitFolders(VisitFolders&&) = default;
    VisitFolders& operator=(VisitFolders&&) = delete;  // would drop the folders it replaced
    ~VisitFolders();

    bool Made() const { return siteData && siteData->isValid(); }

    std::unique_ptr<QTemporaryDir> siteData;
    std::unique_ptr<QTemporaryDir> shortTemporary;  // only where siteData is too deep
    QString cache;
    QString temporary;
    QString path;  // PATH=..., for the browser's environment
};

// Makes a new set within the run's site-data folder `runFolder`. Blocks for
// the copy of the homepage's cache; safe on any thread.
VisitFolders MakeVisitFolders(const QString& runFolder);

}  // namespace quillory
