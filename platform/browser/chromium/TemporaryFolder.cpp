#include "platform/browser/chromium/TemporaryFolder.h"

namespace quillory {

namespace {

// The browser makes its socket at TMPDIR/org.chromium.Chromium.XXXXXX/
// SingletonSocket, whose whole path may be at most 107 bytes long; with a
// longer one the browser does not start.
constexpr int kLongestTemporaryFolder = 107 - 45;
const QString kShortTemporaryFolder = QStringLiteral("/tmp/quillory-XXXXXX");

}  // namespace

QString BrowserTemporaryFolder(const QString& preferred, std::unique_ptr<QTemporaryDir>& shortFolder)
{
    if (preferred.toLocal8Bit().size() <= kLongestTemporaryFolder)
        return preferred;
    shortFolder = std::make_unique<QTemporaryDir>(kShortTemporaryFolder);
    return shortFolder->path();
}

}  // namespace quillory
