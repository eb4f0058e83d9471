#!/usr/bin/env bash
# Builds the Win32 window-function layer and the version resource with
# mingw-w64, runs the layer's test under Wine in a fresh, headless prefix and
# reads the resource back. Everything lives in one temporary folder, removed
# at the end together with the prefix's wineserver.
#   tests/win32/run.sh
set -euo pipefail

repo=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/quillory-win32.XXXXXX")
failures=0

stop_wine() {
    [ ! -d "${WINEPREFIX:-}" ] || { wineserver -k 2>/dev/null; timeout 20 wineserver -w 2>/dev/null; } || true
}
trap 'stop_wine; rm -rf "$work"' EXIT

# step NAME COMMAND...: runs a step with its output in NAME.log and shows the
# log of a failed step; returns whether it passed.
step() {
    local name=$1; shift
    if "$@" >"$work/$name.log" 2>&1; then
        echo "ok   $name"
        return 0
    fi
    failures=$((failures + 1))
    echo "FAIL $name; its output:"
    cat "$work/$name.log"
    return 1
}

# Wine's own files go to the temporary folder too, never to the user's home;
# Debian's Wine keeps the wineserver socket in a folder under TMPDIR.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share" \
    XDG_CACHE_HOME="$work/home/.cache" TMPDIR="$work/tmp" WINEPREFIX="$work/prefix" WINEDEBUG=-all
mkdir -p "$HOME" "$TMPDIR"
# No Mono/Gecko installers and no desktop menu entries; no display needed.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY
wine=$(command -v wine64 || { [ -x /usr/lib/wine/wine64 ] && echo /usr/lib/wine/wine64; } || echo wine)

# Steps run inside "if", where set -e is off: each chains its commands with &&.
build() {
    cmake -S "$repo/tests/win32" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64-x86_64.cmake" && cmake --build "$work/build"
}
# The null graphics driver gives real windows and keyboard input without a
# display. The desktop process of wineboot started with the default driver,
# so the server is restarted for the setting to take effect.
make_prefix() {
    timeout 90 "$wine" wineboot -i &&
        timeout 30 "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f && stop_wine
}
read_resource() {
    timeout 60 "$wine" "$work/build/version_probe.exe" | tr -d '\r' | diff "$work/build/expected_version.txt" -
}

step icons_current python3 "$repo/resources/make_icons.py" --check || true
if step build build && step wine_prefix make_prefix; then
    step layer_test timeout 60 "$wine" "$work/build/win32_layer_test.exe" && tail -n 1 "$work/layer_test.log"
    step version_resource read_resource || true
fi
[ "$failures" -eq 0 ]
