#pragma once
// What a page may not do in a kiosk: nothing it does may open a dialog, a
// program, a file, a download or developer tools, ask for a device, or leave
// a box on the screen that stops the return home.

#include <QString>

class QWebEnginePage;
class QWebEngineProfile;
class QWebEngineView;

namespace quillory {

// Permission requests, full-screen requests, log-in prompts, bad
// certificates, file-system and protocol-handler requests: refused without
// asking anyone.
void GuardPage(QWebEnginePage& page);

// No context menu and no dropping of files or links onto the view.
void GuardView(QWebEngineView& view);

// Downloads cancelled, links to other programs (mailto:, tel:, unknown
// schemes) never handed over.
void GuardProfile(QWebEngineProfile& profile);

// The question the engine asks before a page that handles "beforeunload" is
// left; the program always leaves, so that nothing stops a return home.
bool IsLeavePageQuestion(const QString& message);

}  // namespace quillory
