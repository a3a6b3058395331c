#!/usr/bin/env bash
# The Windows zip as a person uses it, under Wine on an X server, keys through the keyboard: it
# unpacks into a folder whose name is not ASCII; with no sound device, the dialog takes a key and
# Return starts the show, which draws, silent and saying so; Escape ends it with status 0 and
# config.dat holds the choice; a second run, its window closed with Alt+F4, replaces the file; a
# read-only config.dat is said and the show still plays; a missing picture gives the message box
# and status 255; on a display scaled to 200 % the dialog and the show's window are twice their
# size.
#   bash tests/windows/zip_e2e.sh ZIP WINEPREFIX
set -euo pipefail
zip=$(realpath "$1")
export WINEPREFIX=$2
[ -n "${DISPLAY:-}" ] || exec xvfb-run -a -s "-screen 0 1920x1200x24 -noreset" bash "$0" "$@"
name=zip_e2e
# shellcheck source=tests/windows/lib.sh
source "$(dirname "$0")/lib.sh"

work=$(mktemp -d)
# The display's scale, in dots per inch, as Windows keeps it.
set_dpi() {
  "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  "$wineserver" -w
}
# No sound device: Wine with no audio driver at all, as a machine without a sound card has it.
no_sound() {
  "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Audio /d "" /f >/dev/null 2>&1
  "$wineserver" -w
}
sound_back() {
  "$wine" reg delete 'HKCU\Software\Wine\Drivers' /v Audio /f >/dev/null 2>&1 || true
  "$wineserver" -w
}
trap 'set_dpi 96 || true; sound_back; "$wineserver" -k 2>/dev/null || true; rm -rf "$work"' EXIT
unpack "$zip" "$work/Пример 例え Grüße"

width() {
  od -An -tu4 -j6 -N4 config.dat | tr -d ' '
}

set_dpi 96
no_sound
first=$(width)
out=$work/first.txt start Down Return
dialog_96=$dialog
show=$(window Swirlbeam 60) || fail "no show window after Return"
sleep 4
brightest=$(import -window "$show" png:- | convert - -separate -append -format "%[fx:maxima]" info:)
awk -v b="$brightest" 'BEGIN { exit !(b > 0.5) }' || fail "the show drew nothing (brightest $brightest)"
xdotool key Escape
ended
[ "$status" = 0 ] || fail "Escape ended the show with status $status, not 0"
second=$(width)
[ "$second" != "$first" ] || fail "config.dat still holds width $first after Down and Return"
grep -q "no sound output could be opened; the show starts silent" "$work/first.txt" ||
  fail "without a sound device the show did not say it starts silent: $(cat "$work/first.txt")"
sound_back

start Up Return
show=$(window Swirlbeam 60) || fail "no show window on the second run"
# Closing its window, as Alt+F4 does on Windows.
press "$show" alt+F4
gone_within 10 || fail "Alt+F4 did not close the show within 10 s"
ended
[ "$status" = 0 ] || fail "the second run ended with status $status, not 0"
[ "$(width)" = "$first" ] || fail "the second run did not replace config.dat ($(width), not $first)"
ls ./*.tmp* 2>/dev/null && fail "a temporary file was left beside config.dat"

# 200 %: the 640x480 of the first run's config.dat, which the second run put back.
set_dpi 192
start Return
show=$(window Swirlbeam 60) || fail "no show window at 200 %"
twice=$(awk -F x -v s="$dialog_96" 'BEGIN { split(s, d, "x"); print 2 * d[1] "x" 2 * d[2] }')
dialog_200=$dialog
[ "$dialog_200" = "$twice" ] || fail "at 200 % the dialog is $dialog_200, not $twice (at 100 %: $dialog_96)"
[ "$(size "$show")" = 1280x960 ] || fail "at 200 % the show's window is $(size "$show"), not 1280x960"
xdotool key Escape
ended
[ "$status" = 0 ] || fail "the run at 200 % ended with status $status, not 0"

set_dpi 96
# A config.dat Windows may not write: the message says so, and the show still plays.
"$wine" cmd /c attrib +r config.dat
kept=$(od -An -tx1 config.dat)
start Down Return
window Error 60 >/dev/null || fail "no message box for the read-only config.dat"
xdotool key Return
window Swirlbeam 60 >/dev/null || fail "no show after the read-only config.dat's message"
xdotool key Escape
ended
[ "$status" = 0 ] || fail "the run with a read-only config.dat ended with status $status, not 0"
[ "$(od -An -tx1 config.dat)" = "$kept" ] || fail "the read-only config.dat was changed"
"$wine" cmd /c attrib -r config.dat

rm logo.jpg
start Return
window Error 60 >/dev/null || fail "no message box for the missing logo.jpg"
xdotool key Return
ended
[ "$status" = 255 ] || fail "a missing picture ended the program with status $status, not 255"
echo "zip_e2e: passed (widths $first, $second, $first; brightest $brightest; dialog $dialog_96 and $dialog_200)"
