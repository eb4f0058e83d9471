#pragma once
// The web engine profiles of the program's visitors.

class QWebEngineProfile;

namespace quillory {

// A new profile that knows nothing of any visitor: no cookies, storage,
// service workers, visited links or remembered decisions. Its site data goes
// into a folder of its own within this run's; pages are kept in the disk
// cache in the user's cache folder that all of them share, so that offline
// mode can show them in a later run.
QWebEngineProfile* CreateVisitorProfile();

// Deletes a profile from CreateVisitorProfile() with its site data, once
// every page using it is gone; the engine then writes out its cache.
void ReleaseVisitorProfile(QWebEngineProfile* visitors);

// Removes this run's site data; call once the application object is gone,
// since the engine writes to that folder until then.
void RemoveSiteData();

}  // namespace quillory
