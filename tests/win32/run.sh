#!/usr/bin/env bash
# Builds the Win32 window-function layer and the version resource with
# mingw-w64, runs the layer's test under Wine in a fresh, headless prefix and
# reads the resource back. Everything lives in one temporary folder, removed
# at the end together with the prefix's wineserver.
#   tests/win32/run.sh
set -euo pipefail

repo=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/quillory-win32.XXXXXX")
results=()
failures=0

stop_wine() {
    if [ -d "${WINEPREFIX:-}" ]; then
        wineserver -k 2>/dev/null || true
        timeout 20 wineserver -w 2>/dev/null || true
    fi
}
cleanup() {
    stop_wine
    rm -rf "$work"
}
trap cleanup EXIT

# step NAME COMMAND...: runs a step with its output in NAME.log, records the
# result and shows the log of a failed step; returns whether it passed.
step() {
    local name=$1; shift
    local start=$SECONDS
    if "$@" >"$work/$name.log" 2>&1; then
        results+=("ok   $name ($((SECONDS - start)) s)")
        return 0
    fi
    results+=("FAIL $name ($((SECONDS - start)) s)")
    failures=$((failures + 1))
    echo "--- $name failed; its output:"
    cat "$work/$name.log"
    return 1
}

# Steps run inside "if", where set -e is off: each chains its commands with &&.
build() {
    cmake -S "$repo/tests/win32" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64-x86_64.cmake" &&
        cmake --build "$work/build"
}

# Wine's own files go to the temporary folder too, never to the user's home.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share" \
    XDG_CACHE_HOME="$work/home/.cache"
# Debian's Wine keeps the wineserver socket in a folder under TMPDIR.
export TMPDIR="$work/tmp"
mkdir -p "$HOME" "$TMPDIR"
export WINEPREFIX="$work/prefix" WINEDEBUG=-all
# No Mono/Gecko installers and no desktop menu entries; no display needed.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY
if command -v wine64 >/dev/null; then wine=wine64
elif [ -x /usr/lib/wine/wine64 ]; then wine=/usr/lib/wine/wine64
else wine=wine; fi

make_prefix() {
    # The null graphics driver gives real windows and keyboard input without
    # a display. The desktop process of wineboot started with the default
    # driver, so the server is restarted for the setting to take effect.
    timeout 90 "$wine" wineboot -i &&
        timeout 30 "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f &&
        stop_wine
}

run_layer_test() {
    timeout 60 "$wine" "$work/build/win32_layer_test.exe"
}

read_resource() {
    timeout 60 "$wine" "$work/build/version_probe.exe" | tr -d '\r' | diff "$work/build/expected_version.txt" - &&
        echo "version resource: as resources/identity.cmake says"
}

step icons_current python3 "$repo/resources/make_icons.py" --check || true
if step build build; then
    if step wine_prefix make_prefix; then
        step layer_test run_layer_test && tail -n 1 "$work/layer_test.log"
        step version_resource read_resource && tail -n 1 "$work/version_resource.log"
    fi
fi

echo "--- Win32 layer under Wine:"
printf '%s\n' "${results[@]}"
echo "win32: $((${#results[@]} - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
