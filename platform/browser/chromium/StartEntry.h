#pragma once
// The empty page the browser's window starts on is no place to go back to.

#include <QString>

class QObject;

namespace quillory {

class DevToolsPipe;

// Drops the start page's entry from the page's history once the first page's
// entry is the current one, which may be a moment after the page's frame is
// reported navigated; tried again meanwhile, for as long as `context` lives.
void DropStartEntry(DevToolsPipe& pipe, const QString& session, QObject* context, int tries = 0);

}  // namespace quillory
