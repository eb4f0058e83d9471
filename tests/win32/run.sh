#!/usr/bin/env bash
# Builds the Win32 window-function layer and the version resource with
# mingw-w64, runs the layer's test under Wine in a fresh, headless prefix and
# reads the resource back. Everything lives in one temporary folder, removed
# at the end together with the prefix's wineserver.
#   tests/win32/run.sh
set -euo pipefail

repo=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/quillory-win32.XXXXXX")
stop_wine() {
    [ -d "${WINEPREFIX:-}" ] || return 0
    wineserver -k 2>/dev/null || true
    timeout 20 wineserver -w 2>/dev/null || true
}
trap 'stop_wine; rm -rf "$work"' EXIT

python3 "$repo/resources/make_icons.py" --check || echo "warning: the icons are not made from their source"
cmake -S "$repo/tests/win32" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64-x86_64.cmake" >"$work/build.log" ||
    { cat "$work/build.log"; exit 1; }
cmake --build "$work/build" >>"$work/build.log" || { cat "$work/build.log"; exit 1; }

# Wine's own files go to the temporary folder too, never to the user's home;
# Debian's Wine keeps the wineserver socket in a folder under TMPDIR.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share" \
    XDG_CACHE_HOME="$work/home/.cache" TMPDIR="$work/tmp" WINEPREFIX="$work/prefix" WINEDEBUG=-all
mkdir -p "$HOME" "$TMPDIR"
# No Mono/Gecko installers and no desktop menu entries; no display needed.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY
wine=$(command -v wine64 || { [ -x /usr/lib/wine/wine64 ] && echo /usr/lib/wine/wine64; } || echo wine)

# The null graphics driver gives real windows and keyboard input without a
# display. The desktop process of wineboot started with the default driver,
# so the server is restarted for the setting to take effect.
timeout 90 "$wine" wineboot -i
timeout 30 "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f
stop_wine

timeout 60 "$wine" "$work/build/win32_layer_test.exe"
timeout 60 "$wine" "$work/build/version_probe.exe" | tr -d '\r' | diff "$work/build/expected_version.txt" -
echo "version resource: as resources/identity.cmake says"
