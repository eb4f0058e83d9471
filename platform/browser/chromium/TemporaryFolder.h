#pragma once
// The folder a browser of the program's keeps its temporary files in.

#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace quillory {

// `preferred`, or, where that is too deep for the browser's socket, a new
// folder in /tmp, which `shortFolder` then owns and removes.
QString BrowserTemporaryFolder(const QString& preferred, std::unique_ptr<QTemporaryDir>& shortFolder);

}  // namespace quillory
