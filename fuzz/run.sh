#!/usr/bin/env bash
# Builds the fuzz project with clang, runs the unit tests that do without the
# web engine (start-up, key codes, X11 window functions) under
# AddressSanitizer and UndefinedBehaviorSanitizer, then each fuzzer for the
# given number of seconds (default 60). Exits non-zero on any finding.
#
#   fuzz/run.sh [seconds]
#
# Builds and new corpus entries go to a temporary folder that is removed
# afterwards; after a finding the folder is kept and its path printed, with
# the crashing input in findings/.
set -euo pipefail

seconds=${1:-60}
here=$(cd "$(dirname "$0")" && pwd)
for tool in clang clang++ cmake; do
    command -v "$tool" >/dev/null || { echo "run.sh: $tool is missing (setup.sh installs it)" >&2; exit 2; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/quillory-fuzz.XXXXXX")
keep=0
trap '[ "$keep" = 1 ] || rm -rf "$work"' EXIT

echo "== building into $work/build"
CC=clang CXX=clang++ cmake -S "$here" -B "$work/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$work/configure.log" ||
    { cat "$work/configure.log"; exit 2; }
cmake --build "$work/build" -j 2 >"$work/build.log" 2>&1 || { cat "$work/build.log"; exit 2; }

# Every sanitizer report ends the program with an error; leaks count too,
# but for those of system libraries listed in lsan.supp.
export ASAN_OPTIONS=abort_on_error=0:detect_leaks=1
export LSAN_OPTIONS=suppressions=$here/lsan.supp
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LC_ALL=C.UTF-8

status=0

echo "== unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
if ! "$work/build/test_startup_sanitized" -silent; then
    echo "FAILED: test_startup under the sanitizers"
    status=1
fi
# The key codes and the X11 window functions need an X server of their own,
# the window functions also with a window manager.
xvfb=$here/../tests/with-xvfb.sh
for run in "test_keycodes" "test_x11_user32" "test_x11_user32 --wm"; do
    set -- $run
    if ! "$xvfb" ${2:-} "$work/build/${1}_sanitized" -silent; then
        echo "FAILED: $run under the sanitizers"
        status=1
    fi
done

for target in fuzz_command_line fuzz_number_text; do
    echo "== $target for ${seconds} s"
    mkdir -p "$work/corpus/$target" "$work/findings"
    options=(-dict="$here/$target.dict")
    # Long enough to pass the 32766-character cap on the argument text.
    [ "$target" = fuzz_command_line ] && options+=(-max_len=33000)
    # New inputs go to the temporary corpus (the first folder); the committed
    # seeds are only read.
    if "$work/build/$target" "${options[@]}" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$work/findings/$target-" "$work/corpus/$target" "$here/corpus/$target" \
        >"$work/$target.log" 2>&1; then
        executed=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$target.log")
        rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$work/$target.log")
        echo "$target: ${executed:-?} executions (${rate:-?}/s), no finding"
    else
        tail -n 60 "$work/$target.log"
        echo "FAILED: $target found a fault; inputs in $work/findings"
        status=1
    fi
done

if [ "$status" != 0 ]; then
    keep=1
    echo "kept $work"
fi
exit "$status"
