#pragma once
// The Qt WebEngine control lives in a plugin of its own, so that a program
// whose pages Chromium draws never maps Qt WebEngine's or Qt Quick's
// libraries (tens of megabytes) into its process.

#include "platform/browser/BrowserEngine.h"

namespace quillory {

// The plugin's file name, and the C name of the factory it exports.
inline constexpr char kQtWebEnginePlugin[] = "quillory-qtwebengine";
inline constexpr char kQtWebEngineFactory[] = "QuilloryCreateQtWebEngineBrowser";

// Loads the plugin from the program's folder, or else from the folder it is
// installed in, once; returns its factory. A program that cannot load it
// cannot show a page, so it ends with the loader's reason on stderr.
BrowserFactory LoadQtWebEnginePlugin();

}  // namespace quillory
