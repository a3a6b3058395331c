#!/usr/bin/env bash
# Full screen from the Windows zip under Wine, on an X server of its own that really switches
# modes (Xorg with the dummy driver, two monitors): the show switches the primary monitor to the
# chosen mode, and Escape gives the desktop back as it was; after a fatal error the message box
# already shows on the desktop's mode; a size the display lacks gets the question, and "Yes"
# plays it in a window with nothing switched. Keys through the server's keyboard.
#   bash tests/windows/full_screen_e2e.sh ZIP WINEPREFIX XORG_CONFIG
# Exits 77 (skipped) without Xorg and its dummy driver, or when not root.
set -euo pipefail
zip=$(realpath "$1")
export WINEPREFIX=$2
name=full_screen_e2e
# shellcheck source=tests/windows/lib.sh
source "$(dirname "$0")/lib.sh"

if [ ! -x /usr/bin/Xorg ] || [ ! -r /usr/lib/xorg/modules/drivers/dummy_drv.so ]; then
  echo "$name: skipped: needs Xorg and its dummy driver" \
    "(xserver-xorg-core, xserver-xorg-video-dummy)"
  exit 77
fi
if [ "$(id -u)" != 0 ]; then
  echo "$name: skipped: Xorg takes a configuration file from the tests only when run as root"
  exit 77
fi

work=$(mktemp -d)
/usr/bin/Xorg -noreset -nolisten tcp -config "$3" -logfile "$work/xorg.log" -displayfd 3 \
  3>"$work/display" >"$work/xorg.err" 2>&1 &
xorg=$!
trap '"$wineserver" -k 2>/dev/null || true; kill "$xorg"; wait "$xorg" || true; rm -rf "$work"' EXIT
# It writes its display's number once it takes connections.
for _ in $(seq 200); do
  grep -q '^[0-9]*$' "$work/display" 2>/dev/null && break
  sleep 0.05
done
grep -q '^[0-9]*$' "$work/display" || fail "Xorg did not start: $(tail -n 5 "$work/xorg.log")"
DISPLAY=":$(cat "$work/display")"
export DISPLAY
# A Wine already running on another display would take this one's windows there.
"$wineserver" -k 2>/dev/null || true
unpack "$zip" "$work/zip"
out=$work/program.out

# Each monitor and its mode: "DUMMY0 1280x1024+0+0 DUMMY1 1024x768+1280+0".
monitors() {
  xrandr --current |
    sed -n 's/^\(DUMMY[0-9]*\) connected \(primary \)\{0,1\}\([0-9x+]*\).*/\1 \3/p' |
    paste -sd ' '
}
primary() {
  xrandr --current | sed -n 's/^[^ ]* connected primary \([0-9x+]*\).*/\1/p'
}
# Waits up to 5 s for the monitors to read $1.
monitors_become() {
  for _ in $(seq 50); do
    [ "$(monitors)" = "$1" ] && return 0
    sleep 0.1
  done
  return 1
}
desktop=$(monitors)
case "$desktop" in
  "DUMMY0 1280x1024+0+0 "*) ;;
  *) fail "the server started as \"$desktop\", not with DUMMY0 at 1280x1024" ;;
esac

# 800x600, which the server lists and does not run.
write_settings 1 0 800 600
start Return
show=$(window Swirlbeam 60) || fail "no show window: $(cat "$out")"
for _ in $(seq 50); do
  [ "$(primary)" = 800x600+0+0 ] && break
  sleep 0.1
done
switched=$(monitors)
[ "$(primary)" = 800x600+0+0 ] || fail "800x600 is not on the primary monitor: $switched"
sleep 2
[ "$(primary)" = 800x600+0+0 ] || fail "800x600 did not hold: $(monitors)"
[ "$(size "$show")" = 800x600 ] || fail "the show's window is $(size "$show"), not 800x600"
press "$show" Escape
ended
[ "$status" = 0 ] || fail "Escape ended the show with status $status, not 0"
monitors_become "$desktop" || fail "after Escape the monitors are \"$(monitors)\", not \"$desktop\""

# A fatal error after the switch (the logo is loaded once the window has its mode): the message
# box comes on the desktop's mode, not the show's.
mv logo.jpg logo.jpg.away
start Return
box=$(window Error 60) || fail "no message box for the missing logo.jpg: $(cat "$out")"
monitors_become "$desktop" || fail "with the message box up the monitors are \"$(monitors)\""
press "$box" Return
ended
mv logo.jpg.away logo.jpg
[ "$status" = 255 ] || fail "the missing picture ended the program with status $status, not 255"
monitors_become "$desktop" || fail "after the message box the monitors are \"$(monitors)\""

# 320x240, which the server lacks: the question (titled as the show); Return once a second until
# it is answered, as a Return sent while it is still being mapped is lost.
write_settings 1 0 320 240
start Return
question=$(window Swirlbeam 60) || fail "no question for 320x240: $(cat "$out")"
for _ in $(seq 30); do
  grep -q answered "$out" && break
  press "$question" Return
  sleep 1
done
grep -q "answered Yes" "$out" || fail "the question was not answered Yes: $(cat "$out")"
for _ in $(seq 100); do
  show=$(xdotool search --onlyvisible --name '^Swirlbeam$' | head -n1) || true
  [ -n "$show" ] && [ "$(size "$show")" = 320x240 ] && break
  sleep 0.1
done
[ "$(size "$show")" = 320x240 ] || fail "no 320x240 window after Yes"
[ "$(monitors)" = "$desktop" ] || fail "the windowed show changed the monitors: $(monitors)"
press "$show" Escape
ended
[ "$status" = 0 ] || fail "Escape ended the windowed show with status $status, not 0"
echo "$name: passed (during the show: $switched; before and after: $desktop)"
