#!/usr/bin/env bash
# The launcher's copy rules, run against a stub show in a fake install prefix (no display needed).
set -euo pipefail
launcher=$1
t=$(mktemp -d)
trap 'rm -rf "$t"' EXIT
chmod 755 "$t"  # the unwritable-folder case runs as nobody, who must reach the prefix

fail() { echo "FAIL: $*" >&2; exit 1; }

prefix=$t/prefix
media=$prefix/share/swirlbeam/media
mkdir -p "$prefix/bin" "$media"
cp "$launcher" "$prefix/bin/swirlbeam-play"
# The stub records where it was started and exits with a status the launcher must pass on.
printf '#!/bin/sh\npwd > "%s/started-in"\nexit 7\n' "$t" > "$prefix/bin/swirlbeam"
chmod 755 "$prefix/bin/swirlbeam"
printf 'default settings' > "$media/config.dat"
printf 'default music' > "$media/music.dat"
head -c 100000 /dev/urandom > "$media/texture.jpg"

# run NAME ENV... : runs the launcher with only the given environment; status in $status.
run() {
  local name=$1; shift
  rm -f "$t/started-in"
  status=0
  env -i PATH=/usr/bin:/bin "$@" "$prefix/bin/swirlbeam-play" > "$t/$name.out" 2> "$t/$name.err" ||
    status=$?
}
one_line_naming() {  # NAME TEXT: the run failed with one stderr line containing TEXT, no show
  [ "$status" -ne 0 ] || fail "$1: status 0"
  [ "$(wc -l < "$t/$1.err")" -eq 1 ] || fail "$1: stderr is not one line: $(cat "$t/$1.err")"
  grep -qF -- "$2" "$t/$1.err" || fail "$1: stderr does not name $2: $(cat "$t/$1.err")"
  [ ! -e "$t/started-in" ] || fail "$1: the show was started"
}

# A fresh folder gets every default file, the show runs in it and its status comes back.
run fresh XDG_DATA_HOME="$t/data"
[ "$status" -eq 7 ] || fail "fresh: status $status, not the show's 7: $(cat "$t/fresh.err")"
[ "$(cat "$t/started-in")" = "$t/data/swirlbeam" ] || fail "fresh: started in $(cat "$t/started-in")"
for f in config.dat music.dat texture.jpg; do
  cmp -s "$media/$f" "$t/data/swirlbeam/$f" || fail "fresh: $f not copied whole"
done
[ "$(ls -A "$t/data/swirlbeam" | wc -l)" -eq 3 ] || fail "fresh: stray files: $(ls -A "$t/data/swirlbeam")"

# The player's own files win; a relative XDG_DATA_HOME is ignored for HOME's folder.
show=$t/home/.local/share/swirlbeam
mkdir -p "$show"
printf 'my settings' > "$show/config.dat"
head -c 5000 /dev/urandom > "$show/texture.jpg"
cp "$show/config.dat" "$show/texture.jpg" "$t/"
run own HOME="$t/home" XDG_DATA_HOME=relative/path
[ "$status" -eq 7 ] || fail "own: status $status: $(cat "$t/own.err")"
[ "$(cat "$t/started-in")" = "$show" ] || fail "own: started in $(cat "$t/started-in")"
cmp -s "$t/config.dat" "$show/config.dat" || fail "own: the player's config.dat was changed"
cmp -s "$t/texture.jpg" "$show/texture.jpg" || fail "own: the player's texture.jpg was changed"
cmp -s "$media/music.dat" "$show/music.dat" || fail "own: the missing music.dat was not copied"

# Two starts at once: the slower one's copy of config.dat finishes after the other start's show
# wrote the player's choice there, which must stay.
race=$t/race/swirlbeam
mkdir -p "$t/slow-bin"
cat > "$t/slow-bin/cp" <<EOF
#!/bin/sh
case "\$*" in *config.dat*) touch "$t/copying"; while [ ! -e "$t/go" ]; do sleep 0.05; done ;; esac
exec /bin/cp "\$@"
EOF
chmod 755 "$t/slow-bin/cp"
env -i PATH="$t/slow-bin:/usr/bin:/bin" XDG_DATA_HOME="$t/race" "$prefix/bin/swirlbeam-play" \
  > "$t/slow.out" 2> "$t/slow.err" &
slow=$!
for _ in $(seq 200); do [ -e "$t/copying" ] && break; sleep 0.05; done
[ -e "$t/copying" ] || fail "race: the slow start never copied config.dat"
run quick XDG_DATA_HOME="$t/race"
[ "$status" -eq 7 ] || fail "race: the quick start: status $status: $(cat "$t/quick.err")"
printf 'chosen settings' > "$race/config.dat"
touch "$t/go"
status=0
wait "$slow" || status=$?
[ "$status" -eq 7 ] || fail "race: the slow start: status $status: $(cat "$t/slow.err")"
[ "$(cat "$race/config.dat")" = 'chosen settings' ] || fail "race: the player's config.dat was replaced"
[ "$(ls -A "$race" | wc -l)" -eq 3 ] || fail "race: stray files: $(ls -A "$race")"

# Nowhere to keep the folder.
run nohome
one_line_naming nohome HOME

# A folder that cannot be made (its parent is a file).
printf 'a file' > "$t/plain-file"
run unmakeable XDG_DATA_HOME="$t/plain-file"
one_line_naming unmakeable "$t/plain-file/swirlbeam"
[ "$(cat "$t/plain-file")" = 'a file' ] || fail "unmakeable: the file in the way was changed"

# A folder the player cannot write: message, and the folder exactly as it was.
locked=$t/locked/swirlbeam
mkdir -p "$locked"
printf 'kept' > "$locked/config.dat"
chmod 555 "$locked"
before=$(ls -la --time-style=full-iso "$locked")
as_player=()
[ "$(id -u)" -ne 0 ] || as_player=(setpriv --reuid=65534 --regid=65534 --clear-groups)
status=0
"${as_player[@]}" env -i PATH=/usr/bin:/bin XDG_DATA_HOME="$t/locked" \
  "$prefix/bin/swirlbeam-play" > "$t/locked.out" 2> "$t/locked.err" || status=$?
one_line_naming locked "$locked"
[ "$(ls -la --time-style=full-iso "$locked")" = "$before" ] || fail "locked: the folder changed"
chmod 755 "$locked"

# The installed media are gone: the player's folder is left alone.
mv "$media" "$t/media-away"
run nomedia XDG_DATA_HOME="$t/data"
one_line_naming nomedia "$media"
[ "$(ls -A "$t/data/swirlbeam" | wc -l)" -eq 3 ] || fail "nomedia: the show folder changed"
echo "launcher copy rules: all cases passed"
