#!/usr/bin/env bash
# Builds the libraries of the browser build (SDL2, SDL2_mixer with WAV only, TurboJPEG, libopenmpt)
# with Debian's Emscripten from Debian's source packages, once per set of versions, into a cached
# install prefix (include/, lib/), and prints that prefix as the last line on stdout; everything
# else goes to stderr. Installs the Debian packages it needs (as root, or through sudo).
#   prefix=$(bash scripts/lib/web-libs.sh | tail -n1)
# SWIRLBEAM_WEB_CACHE sets the cache folder (default ~/.cache/swirlbeam/web). Link with the flags
# the check at the end uses, after sourcing scripts/lib/web-env.sh.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
prog=web-libs
. "$here/deb-source-build.sh"

# Bump when a flag below changes, so that no cache built the old way is used.
recipe=1

# Only the prefix goes to stdout; build tools print to stderr.
exec 3>&1 1>&2

bash "$here/../install-deps.sh" emscripten cmake make python3 dpkg-dev xz-utils ||
  fail "installing Emscripten and the build tools failed: scripts/install-deps.sh"
. "$here/web-env.sh"

emcc_about=$(emcc --version) || fail "emcc does not run: $(command -v emcc)"
emcc_version=$(sed -n '1s/.* \([0-9][0-9.]*\) .*/\1/p' <<<"$emcc_about")
emcc_hash=$(sha256sum <<<"$emcc_about" | cut -c1-10)
key="sdl2-$sdl2_version.mixer-$mixer_version.turbojpeg-$jpeg_version.openmpt-$openmpt_version"
key="$key.emcc-$emcc_version-$emcc_hash.r$recipe"
cache=${SWIRLBEAM_WEB_CACHE:-$HOME/.cache/swirlbeam/web}
prefix="$cache/$key"

wanted=(include/SDL2/SDL.h include/SDL2/SDL_mixer.h include/turbojpeg.h
  include/libopenmpt/libopenmpt.h lib/libSDL2.a lib/libSDL2_mixer.a lib/libturbojpeg.a
  lib/libopenmpt.a)
reuse_or_lock
start_work
fetch_sources libsdl2 libsdl2-mixer libjpeg-turbo libopenmpt
sdl2_src=$(source_dir libsdl2 "$sdl2_version")
mixer_src=$(source_dir libsdl2-mixer "$mixer_version")
jpeg_src=$(source_dir libjpeg-turbo "$jpeg_version")
openmpt_src=$(source_dir libopenmpt "$openmpt_version")

# --- Builds, each installed into the stage -----------------------------------------------------

# Configures the CMake project in the current folder as $1, for the web, to install into the stage.
configure_cmake() {
  local name=$1
  shift
  step "$name configure" emcmake cmake -S . -B "$work/build/$name" -DCMAKE_BUILD_TYPE=Release \
    "-DCMAKE_INSTALL_PREFIX=$stage" "$@"
}

say "building SDL2 (configuring takes minutes: every check runs emcc)"
cmake_lib SDL2 "$sdl2_src" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF

say "building SDL2_mixer (WAV only)"
cmake_lib SDL2_mixer "$mixer_src" "${mixer_wav_only[@]}" "-DSDL2_DIR=$stage/lib/cmake/SDL2"

t=$SECONDS
say "building TurboJPEG"
cd "$jpeg_src"
# CMake's size checks misread wasm32 (size_t comes out as 9): state the sizes.
configure_cmake TurboJPEG -DENABLE_SHARED=OFF -DWITH_SIMD=OFF -DWITH_JAVA=OFF \
  -DHAVE_SIZE_T=TRUE -DSIZE_T=4 -DHAVE_UNSIGNED_LONG=TRUE -DUNSIGNED_LONG=4
# Only the TurboJPEG library: the rest (libjpeg, the tools) is not needed.
step "TurboJPEG build" cmake --build "$work/build/TurboJPEG" --target turbojpeg-static -j "$jobs"
install -D -m 644 "$work/build/TurboJPEG/libturbojpeg.a" "$stage/lib/libturbojpeg.a"
install -D -m 644 turbojpeg.h "$stage/include/turbojpeg.h"
say "TurboJPEG built in $((SECONDS - t)) s"

t=$SECONDS
say "building libopenmpt (minutes: about 200 C++ files)"
cd "$openmpt_src"
# Its config.sub knows no wasm32 triple; any 32-bit host does, and emconfigure picks the compilers.
# Without -O2 the default -g makes a ten times larger archive. It reports a file it cannot read
# by catching its own exceptions, which Emscripten only catches with -fexceptions (here and when
# linking the program); without it a damaged module aborts the page.
step "libopenmpt configure" emconfigure ./configure --prefix="$stage" \
  --build=x86_64-pc-linux-gnu --host=i686-pc-linux-gnu --disable-shared \
  --disable-openmpt123 --disable-examples --disable-tests --disable-doxygen-doc \
  --without-zlib --without-mpg123 --without-ogg --without-vorbis --without-vorbisfile \
  --without-portaudio --without-portaudiocpp --without-sndfile --without-flac \
  --without-pulseaudio --without-sdl2 CFLAGS=-O2 "CXXFLAGS=-O2 -fexceptions"
step "libopenmpt build" emmake make -j "$jobs"
step "libopenmpt install" make install
say "libopenmpt built in $((SECONDS - t)) s"

# --- Check: a program using all four links as the show will -----------------------------------

t=$SECONDS
cd "$work/build"
cat >link-check.c <<'EOF'
#include <SDL.h>
#include <SDL_mixer.h>
#include <libopenmpt/libopenmpt.h>
#include <stdio.h>
#include <turbojpeg.h>

int main(void) {
  SDL_version v;
  SDL_GetVersion(&v);
  printf("SDL %d.%d.%d openmpt %x\n", v.major, v.minor, v.patch, openmpt_get_library_version());
  if (SDL_Init(SDL_INIT_AUDIO) == 0 && Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024) == 0)
    Mix_CloseAudio();
  tjhandle jpeg = tjInitDecompress();
  static const char junk[64];
  openmpt_module *module = openmpt_module_create_from_memory2(junk, sizeof junk, NULL, NULL, NULL,
                                                              NULL, NULL, NULL, NULL);
  return jpeg != NULL && module == NULL ? 0 : 1; /* zeros are no module */
}
EOF
step "link check compile" emcc -c -O2 -I"$stage/include" -I"$stage/include/SDL2" link-check.c
# By path: emcc takes -lSDL2 for its own SDL2 port, which it would download.
step "link check" em++ link-check.o -O2 -fexceptions "$stage/lib/libSDL2_mixer.a" \
  "$stage/lib/libSDL2.a" "$stage/lib/libturbojpeg.a" "$stage/lib/libopenmpt.a" \
  -sLEGACY_GL_EMULATION=1 \
  '-sDEFAULT_LIBRARY_FUNCS_TO_INCLUDE=["$autoResumeAudioContext","$dynCall"]' \
  -o link-check.js
step "link check run" node --no-experimental-fetch link-check.js
grep "^SDL $sdl2_version " "$work/log/link check run.log" >&2 ||
  fail "the linked SDL is not $sdl2_version: $stage/lib/libSDL2.a"
say "link check passed in $((SECONDS - t)) s"

# --- Into the cache, in one rename -------------------------------------------------------------

finish "# Built by scripts/lib/web-libs.sh recipe $recipe with:" "$(echo "$emcc_about" | head -n1)"
