#pragma once
// The folders under the temporary directory that hold each run's site data.
// A run holds a lock on its own folder for as long as it lives, so a later
// run can tell the folders of runs that were killed or crashed, and removes
// them: a kiosk's visitors are not kept on disk past the run that saw them.

#include <QString>

namespace quillory {

// This run's folder, made and locked on first use, once the site-data
// folders of runs that are no longer alive are removed; empty if none could
// be made.
QString SiteDataFolderOfRun();

// Removes this run's folder and lets its lock go.
void RemoveSiteDataFolder();

}  // namespace quillory
