#pragma once
// Start-up: the run's one settings record, the command-line scanner and Main.

#include "platform/Boolean.h"

#include <QString>
#include <cstdint>
#include <optional>

namespace quillory::modInitialise {

struct PresentationSettingsRecord {
    QString HomepageURL;  // first page, and the page every reset returns to
    float MinDelay = 0;   // seconds of idle time before a reset; a whole number
    Boolean AllowNewWindows = False;
    Boolean WorkOffline = False;  // the browser reads pages from its cache only
    Boolean CloseOpenWindows = False;
    QString Password;  // exit password, lower case; empty means none
};

// Written before the presentation starts, only read afterwards.
extern PresentationSettingsRecord PresentationSettings;

// The scanner's state: the argument text and the 1-based position where the
// next field begins (0 once the last field has been handed out).
extern QString CommandLine;
extern std::int16_t ArgPosition;

// The next comma-separated field of CommandLine; no value once exhausted.
// Only the last field, the one no comma follows, is trimmed.
std::optional<QString> NextArgument();

// Reads the command line into PresentationSettings, asks for what is missing,
// then shows the presentation window.
void Main();

// Fills PresentationSettings from CommandLine (Main's steps 2 to 4) and says
// whether the settings dialog is needed. Split out so it can be tested alone.
bool ReadCommandLine();

}  // namespace quillory::modInitialise
