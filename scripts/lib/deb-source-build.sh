# What the scripts that build libraries from Debian's source packages into a cached prefix share
# (web-libs.sh, windows-libs.sh): sourced, not run. The caller sets prog (its name in messages),
# cache (the cache folder), prefix (the build's folder in it) and wanted (files every finished
# prefix holds), and has sent stdout to fd 3 (exec 3>&1 1>&2): only the prefix goes there.
#   . "$here/deb-source-build.sh"
#   reuse_or_lock; start_work; fetch_sources PACKAGE...; dir=$(source_dir PACKAGE VERSION)
#   ... builds installing into "$stage" (cmake_lib, given a configure_cmake) ...
#   finish "first line of the versions file"

# The native build's versions (upstream part only), so that every build plays the same.
sdl2_version=2.26.5
mixer_version=2.6.2
jpeg_version=2.1.5
openmpt_version=0.6.9
jobs=2 # the machine's cores are shared

say() { printf '%s: %s\n' "$prog" "$*" >&2; }
fail() {
  say "$*"
  exit 1
}

# The prefix appears in one rename, so a missing file means someone else changed it.
cached() {
  [ -d "$prefix" ] || return 1
  local f
  for f in "${wanted[@]}"; do
    [ -f "$prefix/$f" ] || fail "cache is incomplete ($f missing); remove it: $prefix"
  done
}

# Ends the script with the prefix when the cache holds it; otherwise returns holding the cache's
# lock: one build at a time per cache, and a second caller waits, then finds the first one's result.
reuse_or_lock() {
  if cached; then
    say "cached: $prefix"
    echo "$prefix" >&3
    exit 0
  fi
  mkdir -p "$cache" || fail "cannot make the cache folder: $cache"
  exec 9>"$cache/.lock"
  flock 9
  if cached; then
    say "built meanwhile: $prefix"
    echo "$prefix" >&3
    exit 0
  fi
}

# Makes the scratch folder $work (sources, builds, logs) and the stage, removed on exit.
start_work() {
  work=$(mktemp -d -t "swirlbeam-$prog.XXXXXX")
  stage=$(mktemp -d "$cache/.building.XXXXXX") # beside the prefix, so the final move is one rename
  trap 'rm -rf "$work" "$stage"' EXIT
  chmod 755 "$work" # apt downloads as the unprivileged user _apt
  mkdir -p "$work/apt/lists/partial" "$work/apt/cache" "$work/src" "$work/build" "$work/log"
  all_start=$SECONDS
}

# Runs one build step with its output in a log; shows the log's end when the step fails.
step() {
  local name=$1 log="$work/log/$1.log"
  shift
  "$@" >>"$log" 2>&1 || {
    tail -n 40 "$log" >&2
    fail "$name failed (its last lines above): $PWD"
  }
}

# Builds the CMake project in folder $2 as $1, configured by the caller's configure_cmake with the
# other arguments; installs it into the stage.
cmake_lib() {
  local name=$1 t=$SECONDS
  cd "$2"
  shift 2
  configure_cmake "$name" "$@"
  step "$name build" cmake --build "$work/build/$name" --target install -j "$jobs"
  say "$name built in $((SECONDS - t)) s"
}

# SDL2_mixer's flags for WAV alone: it loads WAV, AIFF and VOC samples itself.
mixer_wav_only=(-DBUILD_SHARED_LIBS=OFF -DSDL2MIXER_VENDORED=OFF -DSDL2MIXER_SAMPLES=OFF
  -DSDL2MIXER_CMD=OFF -DSDL2MIXER_WAVE=ON -DSDL2MIXER_FLAC=OFF -DSDL2MIXER_MOD=OFF
  -DSDL2MIXER_MP3=OFF -DSDL2MIXER_MIDI=OFF -DSDL2MIXER_OPUS=OFF -DSDL2MIXER_VORBIS=OFF)

# --- Sources: deb-src twins of the machine's own Debian entries, in an apt state of our own ----

# deb lines of the one-line format become deb-src lines, options and all.
oneline_src() {
  sed -n 's/^[[:space:]]*deb\([[:space:]]\)/deb-src\1/p' "$1"
}
# deb822 stanzas of Types deb become one deb-src line per URI and suite. A key written inline
# (Signed-By on the following lines) is left to apt's own keyrings.
deb822_src() {
  awk '
    function flush(   n, m, i, j, u, s, opts) {
      if (types ~ /(^|[ \t])deb([ \t]|$)/ && tolower(enabled) != "no") {
        opts = signed != "" ? "[signed-by=" signed "] " : ""
        n = split(uris, u, /[ \t]+/); m = split(suites, s, /[ \t]+/)
        for (i = 1; i <= n; i++) for (j = 1; j <= m; j++)
          if (u[i] != "" && s[j] != "") print "deb-src " opts u[i] " " s[j] " " comps
      }
      types = uris = suites = comps = signed = enabled = ""
    }
    /^#/ { next }
    /^[ \t]*$/ { flush(); next }
    /^[ \t]/ { next }
    {
      c = index($0, ":"); field = tolower(substr($0, 1, c - 1)); value = substr($0, c + 1)
      gsub(/^[ \t]+|[ \t]+$/, "", value)
      if (field == "types") types = value
      else if (field == "uris") uris = value
      else if (field == "suites") suites = value
      else if (field == "components") comps = value
      else if (field == "enabled") enabled = value
      else if (field == "signed-by") { signed = value; gsub(/[ \t]+/, ",", signed) }
    }
    END { flush() }' "$1"
}

# Downloads and unpacks the given source packages into $work/src.
fetch_sources() {
  local sources="$work/apt/sources.list" t=$SECONDS
  : >"$sources"
  [ -f /etc/apt/sources.list ] && oneline_src /etc/apt/sources.list >>"$sources"
  [ -f /etc/apt/sources.list.d/debian.sources ] &&
    deb822_src /etc/apt/sources.list.d/debian.sources >>"$sources"
  [ -s "$sources" ] ||
    fail "no deb entry to make deb-src ones from: /etc/apt/sources.list{,.d/debian.sources}"

  apt_private=(-o "Dir::Etc::SourceList=$sources" -o Dir::Etc::SourceParts=-
    -o "Dir::State::Lists=$work/apt/lists" -o "Dir::Cache=$work/apt/cache")
  say "fetching the source packages"
  cd "$work/src"
  # _apt may write the downloads; dpkg-source then unpacks them as us.
  [ "$(id -u)" -eq 0 ] && id _apt >/dev/null 2>&1 && chown _apt "$work/src"
  step "apt-get update (deb-src)" apt-get "${apt_private[@]}" -q update
  step "apt-get source" apt-get "${apt_private[@]}" -q source "$@"
  say "sources ready in $((SECONDS - t)) s"
}

# Downloads and unpacks source package $1 (after fetch_sources) from the machine's suites, or, when
# they do not serve it whole, from suite sid of the machine's own Debian host.
fetch_source_or_sid() {
  local sources="$work/apt/sources.list" sid
  cd "$work/src"
  apt-get "${apt_private[@]}" -q source "$1" >>"$work/log/apt-get source $1.log" 2>&1 && return
  rm -rf "$work/src/$1"[_-]*
  sid=$(sed -n 's|^\(deb-src .*/debian\)[[:space:]]\+[^[:space:]]\+[[:space:]]|\1 sid |p' "$sources" |
    head -n1)
  [ -n "$sid" ] || fail "no Debian entry to take suite sid from: $sources"
  say "$1: not whole in the machine's suites; from sid"
  echo "$sid" >>"$sources"
  step "apt-get update (sid)" apt-get "${apt_private[@]}" -q update
  step "apt-get source $1" apt-get "${apt_private[@]}" -q source "$1"
}

# Prints the unpacked folder of source package $1 after checking its upstream version is $2.
source_dir() {
  local dsc version upstream
  dsc=$(ls "$work/src/$1"_*.dsc 2>/dev/null | head -n1)
  [ -n "$dsc" ] || fail "apt-get source gave no $1: $work/src"
  version=$(sed -n 's/^Version: //p' "$dsc")
  upstream=${version#*:}
  upstream=${upstream%-*}
  upstream=${upstream%%[+~]*}
  [ "$upstream" = "$2" ] ||
    fail "$1 is $version, not $2 as in the native build; change the version here: $0"
  echo "$1 $version" >>"$work/versions"
  ls -d "$work/src/$1-$upstream"*/ | head -n1
}

# Moves the stage into the cache as the prefix, with a versions file that begins with the lines
# given, and prints the prefix.
finish() {
  {
    printf '%s\n' "$@"
    cat "$work/versions"
  } >"$stage/versions"
  rm -rf "$stage/share/doc"
  chmod 755 "$stage"
  mv -T "$stage" "$prefix" || fail "cannot move the build into the cache: $prefix"
  du -b "$prefix"/lib/*.a | sed 's|\t.*/| |' >&2
  say "built in $((SECONDS - all_start)) s: $prefix"
  echo "$prefix" >&3
}
