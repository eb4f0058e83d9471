#!/usr/bin/env bash
# Runs a command on a private Xvfb server, optionally under the openbox window manager.
#   with-xvfb.sh [--wm] [--size WxH | --two-screens] command args...
# --two-screens runs Xorg's dummy driver instead, with two screens of
# 1024x768 side by side, which can be resized, added and removed with xrandr:
# Xvfb can do none of that. The server picks a free display itself
# (-displayfd), so tests can run in parallel.
set -euo pipefail
wm=0; size=1280x1024; two_screens=0
while [ $# -gt 0 ]; do
  case "$1" in
    --wm) wm=1; shift ;;
    --size) size=$2; shift 2 ;;
    --two-screens) two_screens=1; shift ;;
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
if [ "$two_screens" = 1 ]; then
  cat >"$tmp/dummy.conf" <<'CONF'
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5-1000
  VertRefresh 5-200
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 4096 2048
  EndSubSection
EndSection
CONF
  Xorg -displayfd 3 -config "$tmp/dummy.conf" -logfile "$tmp/xorg.log" -nolisten tcp -noreset -novtswitch -sharevts \
    -dpi 96 >"$tmp/xvfb.log" 2>&1 &
else
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset -dpi 96 >"$tmp/xvfb.log" 2>&1 &
fi
xvfb_pid=$!
for _ in $(seq 100); do display=$(cat "$tmp/displayfd" 2>/dev/null || true); [ -n "$display" ] && break; sleep 0.1; done
[ -n "$display" ] || { echo "the X server did not start"; cat "$tmp/xvfb.log" "$tmp/xorg.log" 2>/dev/null; exit 1; }
export DISPLAY=":$display"
# The number comes as soon as the server listens; wait until it also answers.
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done
if [ "$two_screens" = 1 ]; then
  for mode in "1024x768_60 63.50 1024 1072 1176 1328 768 771 775 798" "1280x1024_60 109.00 1280 1368 1496 1712 1024 1027 1034 1063"; do
    name=${mode%% *}
    xrandr --newmode $mode -hsync +vsync
    xrandr --addmode DUMMY0 "$name"; xrandr --addmode DUMMY1 "$name"
  done
  xrandr --output DUMMY0 --mode 1024x768_60 --pos 0x0 --primary --output DUMMY1 --mode 1024x768_60 --pos 1024x0
  export QUILLORY_TEST_SCREENS=2
fi
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
