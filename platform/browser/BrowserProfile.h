#pragma once
// The web engine profile every browser control of the program shares.

class QWebEngineProfile;

namespace quillory {

// Created on first use. Pages are kept in a disk cache in the user's cache
// folder, so that offline mode can show them in a later run; cookies and
// other site data live in a folder of this run only, since a public kiosk
// forgets its visitors when it restarts.
QWebEngineProfile& BrowserProfile();

// Deletes the profile, once every page using it is gone, so that the engine
// writes out its cache while the application object winds down.
void ReleaseBrowserProfile();

// A new profile that knows nothing of any visitor: no cookies, storage,
// service workers, visited links or remembered decisions. Its site data goes
// into a folder of its own; the disk cache is the one all of them share.
QWebEngineProfile* CreateVisitorProfile();

// Makes a profile from CreateVisitorProfile() the one BrowserProfile()
// returns, and deletes the old one with its site data. Every page of the old
// profile must be gone, and no other profile may be alive but the new one.
void UseBrowserProfile(QWebEngineProfile* next);

// Removes this run's site data; call once the application object is gone,
// since the engine writes to that folder until then.
void RemoveSiteData();

}  // namespace quillory
