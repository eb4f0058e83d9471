#pragma once
// What the two instances of a renewal say to each other over their socket:
// the settings, from the old instance to the new one (never through argv or
// the environment, where other users could read the password); "ready" back
// once the new instance shows its homepage; and "released <ns>" when the old
// one lets go of the keyboard, for the new one to tell how long it took.

#include <QByteArray>
#include <QtGlobal>

#include <optional>

namespace quillory::renewal {

// The settings of this run, length-prefixed.
QByteArray SettingsMessage();
// Reads the settings message into this run's settings; false when none came
// whole in time.
bool ReadSettings(int fd);
// One line, without its end; nothing when none came in time.
std::optional<QByteArray> ReadLine(int fd, int timeoutMs);
// The steady clock both instances read, in nanoseconds.
qint64 NowNs();

}  // namespace quillory::renewal
