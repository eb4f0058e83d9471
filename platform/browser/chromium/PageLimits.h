#pragma once
// What the browser on Chromium denies its visitor's pages: every device and
// notification, downloads, file pickers, boxes that wait for an answer, the
// context menu, whose entries save, print, inspect and open windows, and
// every window or picture outside the program's frames: screen capture,
// picture-in-picture, the eyedropper.

#include <QJsonObject>
#include <QString>
#include <QStringList>

namespace quillory {

class DevToolsPipe;

// The preferences a new user data folder starts with: every device,
// notification and location request denied without asking, printing off;
// windows a page opens without a click are not blocked, as the control
// refuses or allows every new window itself.
void WriteVisitorPreferences(const QString& userDataFolder);

// The browser's switches that take screen capture, document
// picture-in-picture and the eyedropper away from pages.
QStringList LimitingSwitches();

// Once the browser has started: no download is ever written.
void LimitBrowser(DevToolsPipe& pipe);

// For the page's session and each of its frames' sessions.
void LimitPage(DevToolsPipe& pipe, const QString& session);

// Answers what a limited page asks for; true when the event was one. Boxes
// are dismissed, but leaving a page is always allowed.
bool AnswerLimitedRequest(DevToolsPipe& pipe, const QString& method, const QJsonObject& params, const QString& session);

}  // namespace quillory
