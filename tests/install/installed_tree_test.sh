#!/usr/bin/env bash
# `cmake --install` of a built tree: every file in place, the desktop entry, metainfo and man
# pages pass their checkers, and the installed launcher starts the installed show on its media.
set -euo pipefail
build=$1
t=$(mktemp -d)
# cmake --install rewrites the build's install manifest, which a real install's uninstall needs.
manifest=$build/install_manifest.txt
[ ! -f "$manifest" ] || cp -p "$manifest" "$t/manifest"
trap 'if [ -f "$t/manifest" ]; then cp -p "$t/manifest" "$manifest"; else rm -f "$manifest"; fi
  rm -rf "$t"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR=$t/root cmake --install "$build" --prefix /usr > "$t/install.log" ||
  fail "cmake --install: $(cat "$t/install.log")"
usr=$t/root/usr

for f in bin/swirlbeam bin/swirlbeam-capture bin/swirlbeam-play libexec/swirlbeam/swirlbeam-display-guard; do
  [ -x "$usr/$f" ] || fail "$f missing or not executable"
done
for f in config.dat texture.jpg smoke.jpg logo.jpg logo2.jpg web.jpg thanks.jpg \
  strike.wav swirlbeam.wav thanks.wav music.dat; do
  [ -s "$usr/share/swirlbeam/media/$f" ] || fail "media file $f missing"
done
for n in 16 32 48 64 128 256; do
  icon=$usr/share/icons/hicolor/${n}x${n}/apps/swirlbeam.png
  [ -f "$icon" ] || fail "icon ${n}x${n} missing"
  # width and height: two big-endian words at byte 16 of a PNG
  [ "$(od --endian=big -An -tu4 -j16 -N8 "$icon" | tr -s ' ')" = " $n $n" ] ||
    fail "icon ${n}x${n} has another size"
done
desktop=$usr/share/applications/swirlbeam.desktop
metainfo=$usr/share/metainfo/invalid.swirlbeam.Swirlbeam.metainfo.xml
for f in "$desktop" "$metainfo" "$usr/share/doc/swirlbeam/copyright" \
  "$usr/share/man/man6/swirlbeam.6.gz" "$usr/share/man/man6/swirlbeam-play.6.gz" \
  "$usr/share/man/man1/swirlbeam-capture.1.gz"; do
  [ -f "$f" ] || fail "${f#"$t"/root} missing"
done
grep -qx 'Exec=swirlbeam-play' "$desktop" || fail "the menu entry does not run the launcher"

# The installed launcher finds the installed media and the show loads them: with no display
# the show stops, as it should, only at window creation.
status=0
env -u DISPLAY -u WAYLAND_DISPLAY XDG_DATA_HOME="$t/data" SDL_AUDIODRIVER=dummy \
  "$usr/bin/swirlbeam-play" > "$t/play.out" 2> "$t/play.err" || status=$?
grep -qF "Failed To Register The Window Class." "$t/play.err" && [ "$status" -eq 0 ] ||
  fail "installed launcher and show (status $status): $(cat "$t/play.err")"
cmp -s "$usr/share/swirlbeam/media/music.dat" "$t/data/swirlbeam/music.dat" ||
  fail "the launcher did not fill the show folder"

missing=0
for tool in desktop-file-validate appstreamcli man; do
  command -v "$tool" > /dev/null || { echo "SKIP: $tool is not installed"; missing=1; }
done
[ "$missing" -eq 0 ] || exit 77
desktop-file-validate "$desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
for page in man6/swirlbeam.6.gz man1/swirlbeam-capture.1.gz; do
  warnings=$(man --warnings -l "$usr/share/man/$page" 2>&1 > /dev/null)
  [ -z "$warnings" ] || fail "$page: $warnings"
done
echo "installed tree: every file in place and valid"
