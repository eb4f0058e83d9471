#pragma once
// The browser hands a link it cannot show itself (mailto:, tel: and the
// like) to the desktop's launchers, found on its PATH: xdg-email at once for
// mailto:, xdg-open for other schemes once the visitor has answered the
// browser's question "Open xdg-open?". In a kiosk the program they start
// would open over the presentation, a way out. The browser is given a PATH
// on which each of those names is a program that does nothing.

#include <QString>

namespace quillory {

// Makes `folder` hold the launchers that do nothing, and gives the PATH
// variable (NAME=value) that finds them first.
QString PathWithoutLaunchers(const QString& folder);

}  // namespace quillory
