#include "platform/browser/chromium/NoLaunchers.h"

#include <QDir>
#include <QFile>

namespace quillory {

namespace {

// What the browser runs to hand a link over, or to learn whether the
// desktop has a program for it; gio is what xdg-open itself runs on most
// desktops, should the browser ever call it directly.
const char* const kLaunchers[] = {"xdg-open", "xdg-email", "xdg-mime", "xdg-settings", "gio"};
// Does nothing, prints nothing, and succeeds.
const QString kDoesNothing = QStringLiteral("/bin/true");

}  // namespace

QString PathWithoutLaunchers(const QString& folder)
{
    QDir().mkpath(folder);
    for (const char* launcher : kLaunchers)
        QFile::link(kDoesNothing, folder + QLatin1Char('/') + QLatin1String(launcher));
    // Without a PATH of its own, the browser's script would search the system's default one.
    const QString path = qEnvironmentVariable("PATH", QStringLiteral("/usr/local/bin:/usr/bin:/bin"));
    return QStringLiteral("PATH=") + folder + QLatin1Char(':') + path;
}

}  // namespace quillory
