#pragma once
// The marker by which other programs' browser windows, and ours, are known
// by their titles. Free of Qt: the closing walk is built without it too.

namespace quillory {

inline constexpr char kBrowserWindowMarker[] = "Microsoft Internet Explorer";

}  // namespace quillory
