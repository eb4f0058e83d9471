#pragma once
// The run's settings put back between tests: a piece of the harness with
// nothing but the settings record in it, for tests that need no window.

#include "startup/modInitialise.h"

namespace harness {

// The settings a run starts with: none at all, or a homepage and a delay.
inline void ResetSettings(const QString& homepage = QString(), float delay = 0)
{
    using namespace quillory::modInitialise;
    PresentationSettings = PresentationSettingsRecord{};
    PresentationSettings.HomepageURL = homepage;
    PresentationSettings.MinDelay = delay;
}

}  // namespace harness
