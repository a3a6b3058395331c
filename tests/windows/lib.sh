# shellcheck shell=bash
# What the tests of the Windows zip under Wine share; sourced after `set -euo pipefail`, with
# $name (the test's, for its messages) and WINEPREFIX set. It sets $wine and $wineserver, and
# start and ended set $pid, $dialog and $status, for the test.
# shellcheck disable=SC2034
export WINEDEBUG=-all
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver

fail() {
  echo "${name:?}: $*" >&2
  exit 1
}
# The id of the visible window named exactly $1, waited for up to $2 seconds.
window() {
  timeout "$2" xdotool search --sync --onlyvisible --name "^$1\$" | head -n1
}
# The names of the windows shown, for a failure's message.
shown() {
  echo "windows shown: $(xdotool search --onlyvisible --name . getwindowname %@ 2>/dev/null |
    tr '\n' ',')"
}
size() {
  xdotool getwindowgeometry "$1" | sed -n 's/ *Geometry: //p'
}
# Unpacks the zip $1 into the folder $2, and goes into the program's folder.
unpack() {
  mkdir -p "$2"
  (cd "$2" && unzip -q "$1")
  cd "$2"/swirlbeam-*-windows-x64 || exit 1
}
# One byte, and a little-endian 32-bit number, as config.dat holds them.
byte() {
  # shellcheck disable=SC2059 # the octal escape is the format
  printf "\\$(printf %03o "$1")"
}
le32() {
  byte $(($1 & 255)) && byte $(($1 >> 8 & 255)) && byte $(($1 >> 16 & 255)) && byte $(($1 >> 24))
}
# config.dat: full screen (1 or 0), music (1 or 0), width, height; 32 bits, dithering on.
write_settings() {
  { byte "$1" && byte "$2" && le32 32 && le32 "$3" && le32 "$4" && byte 1; } >config.dat
}
# The keys "$@" in window $1, the pointer on it as a person's would be: without a window manager
# the keys go where the pointer is.
press() {
  local id=$1
  shift
  xdotool mousemove --window "$id" 20 20 key "$@"
}
# Starts the program, and once its dialog shows presses the keys "$@" in it; the dialog's size in
# $dialog. The program's stdout and stderr go to $out, or with the test's.
start() {
  "$wine" swirlbeam.exe >"${out:-/dev/stderr}" 2>&1 &
  pid=$!
  local id
  id=$(window "Swirlbeam - Configuration" 60) || fail "no dialog within 60 s; $(shown)"
  dialog=$(size "$id")
  press "$id" "$@"
}
# Whether the program ends within $1 seconds.
gone_within() {
  local tries=$(($1 * 4))
  while kill -0 "$pid" 2>/dev/null; do
    tries=$((tries - 1))
    [ "$tries" -gt 0 ] || return 1
    sleep 0.25
  done
}
# Waits for the program; its exit status in $status.
ended() {
  status=0
  wait "$pid" || status=$?
}
