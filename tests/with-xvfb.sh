#!/usr/bin/env bash
# Runs a command on a private Xvfb server, optionally under the openbox window manager.
#   with-xvfb.sh [--wm] [--size WxH] command args...
# Xvfb picks a free display itself (-displayfd), so tests can run in parallel.
set -euo pipefail
wm=0; size=1280x1024
while [ $# -gt 0 ]; do
  case "$1" in
    --wm) wm=1; shift ;;
    --size) size=$2; shift 2 ;;
    *) break ;;
  esac
done

tmp=$(mktemp -d)
cleanup() {
  kill ${wm_pid:-} ${xvfb_pid:-} 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT

# -noreset: without it the server starts afresh each time its last client
# leaves (the readiness check below is one), and a client that connects
# meanwhile, such as the window manager, is turned away.
exec 3<> "$tmp/displayfd" 
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset -dpi 96 >"$tmp/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do display=$(cat "$tmp/displayfd" 2>/dev/null || true); [ -n "$display" ] && break; sleep 0.1; done
[ -n "$display" ] || { echo "Xvfb did not start"; cat "$tmp/xvfb.log"; exit 1; }
export DISPLAY=":$display"
# The number comes as soon as the server listens; wait until it also answers.
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done
export XDG_RUNTIME_DIR="$tmp/runtime"; mkdir -p -m 700 "$XDG_RUNTIME_DIR"

if [ "$wm" = 1 ]; then
  openbox --sm-disable >"$tmp/openbox.log" 2>&1 &
  wm_pid=$!
  # openbox announces itself on the root window once it manages the screen.
  managed() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
  for _ in $(seq 100); do managed && break; sleep 0.1; done
  managed || { echo "openbox did not start"; cat "$tmp/openbox.log"; exit 1; }
  export QUILLORY_TEST_WM=openbox
fi

"$@"
