#!/usr/bin/env bash
# Builds the libraries of the Windows build (SDL2, SDL2_mixer with WAV only, TurboJPEG, libopenmpt,
# FLTK, GoogleTest), all static, with Debian's MinGW-w64 from Debian's source packages, once per set of
# versions, into a cached install prefix (include/, lib/ with pkg-config files), checks that a
# program linking them needs only Windows' own DLLs and runs under Wine, and prints that prefix as
# the last line on stdout; everything else goes to stderr. Installs the Debian packages it needs
# (as root, or through sudo).
#   prefix=$(bash scripts/lib/windows-libs.sh | tail -n1)
#   bash scripts/lib/windows-libs.sh --packages-only    installs the Debian packages alone
# SWIRLBEAM_WINDOWS_CACHE sets the cache folder (default ~/.cache/swirlbeam/windows); the Wine
# prefix the check runs in is the folder wine beside the library prefix. Configure with
# cmake/mingw-w64-x86_64.cmake given both.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
prog=windows-libs
. "$here/deb-source-build.sh"

gtest_version=1.12.1
# Not bookworm's 1.3.8 as the native build has: the mirror this was written against, a frozen
# snapshot, served bookworm's fltk1.3 .dsc but answered 404 for its tarballs, while sid's came whole.
fltk_version=1.3.11
# Bump when a flag below or in the toolchain file changes, so that no cache built the old way is
# used.
recipe=2
triple=x86_64-w64-mingw32
toolchain=$(cd "$here/../../cmake" && pwd)/mingw-w64-x86_64.cmake
wine=/usr/lib/wine/wine64 wineserver=/usr/lib/wine/wineserver # Debian keeps them off PATH

# Only the prefix goes to stdout; build tools print to stderr.
exec 3>&1 1>&2

bash "$here/../install-deps.sh" g++-mingw-w64-x86-64-posix wine64 nasm cmake make pkg-config \
  dpkg-dev xz-utils ||
  fail "installing MinGW-w64, Wine and the build tools failed: scripts/install-deps.sh"
[ "${1:-}" != --packages-only ] || exit 0

# The compiler and the MinGW runtime it links in both shape the libraries.
gcc_about=$("$triple-g++-posix" --version | head -n1) ||
  fail "the MinGW-w64 compiler does not run: $triple-g++-posix"
gcc_version=$("$triple-g++-posix" -dumpfullversion)
runtime=$(dpkg-query -W -f='${Version}' mingw-w64-x86-64-dev)
gcc_hash=$(printf '%s\n%s\n' "$gcc_about" "$runtime" | sha256sum | cut -c1-10)
key="sdl2-$sdl2_version.mixer-$mixer_version.turbojpeg-$jpeg_version.openmpt-$openmpt_version"
key="$key.fltk-$fltk_version.gtest-$gtest_version.mingw-$gcc_version-$gcc_hash.r$recipe"
cache=${SWIRLBEAM_WINDOWS_CACHE:-$HOME/.cache/swirlbeam/windows}
prefix="$cache/$key"
wineprefix="$cache/wine"

wanted=(include/SDL2/SDL.h include/SDL2/SDL_mixer.h include/turbojpeg.h
  include/libopenmpt/libopenmpt.h include/FL/Fl.H include/gtest/gtest.h lib/libSDL2.a
  lib/libSDL2main.a lib/libSDL2_mixer.a lib/libturbojpeg.a lib/libopenmpt.a lib/libfltk.a
  lib/libfltk_images.a lib/libgtest.a lib/libgtest_main.a
  lib/pkgconfig/sdl2.pc lib/pkgconfig/SDL2_mixer.pc lib/pkgconfig/libturbojpeg.pc
  lib/pkgconfig/libopenmpt.pc lib/cmake/SDL2/SDL2Config.cmake
  lib/cmake/SDL2_mixer/SDL2_mixerConfig.cmake)
reuse_or_lock
start_work
fetch_sources libsdl2 libsdl2-mixer libjpeg-turbo libopenmpt googletest
sdl2_src=$(source_dir libsdl2 "$sdl2_version")
mixer_src=$(source_dir libsdl2-mixer "$mixer_version")
jpeg_src=$(source_dir libjpeg-turbo "$jpeg_version")
openmpt_src=$(source_dir libopenmpt "$openmpt_version")
gtest_src=$(source_dir googletest "$gtest_version")
fetch_source_or_sid fltk1.3
fltk_src=$(source_dir fltk1.3 "$fltk_version")

# --- Builds, each installed into the stage -----------------------------------------------------

# Only the stage's .pc files, never the build machine's.
export PKG_CONFIG_LIBDIR="$stage/lib/pkgconfig" PKG_CONFIG_PATH=

# Configures the CMake project in the current folder as $1, for Windows, to install into the stage.
configure_cmake() {
  local name=$1
  shift
  step "$name configure" cmake -S . -B "$work/build/$name" "-DCMAKE_TOOLCHAIN_FILE=$toolchain" \
    "-DSWIRLBEAM_WINDOWS_PREFIX=$stage" -DCMAKE_BUILD_TYPE=Release \
    "-DCMAKE_INSTALL_PREFIX=$stage" "$@"
}

say "building SDL2"
cmake_lib SDL2 "$sdl2_src" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF

say "building SDL2_mixer (WAV only)"
cmake_lib SDL2_mixer "$mixer_src" "${mixer_wav_only[@]}" "-DSDL2_DIR=$stage/lib/cmake/SDL2"
# It writes a .pc file only when built as a DLL; WAV alone needs nothing besides SDL2.
cat >"$stage/lib/pkgconfig/SDL2_mixer.pc" <<PC
prefix=$stage
libdir=\${prefix}/lib
includedir=\${prefix}/include

Name: SDL2_mixer
Description: mixer library for Simple DirectMedia Layer (WAV only)
Version: $mixer_version
Requires: sdl2
Libs: -L\${libdir} -lSDL2_mixer
Cflags: -I\${includedir}/SDL2
PC

t=$SECONDS
say "building TurboJPEG"
cd "$jpeg_src"
# Only the TurboJPEG library: the rest (libjpeg, the tools) is not needed. Its SIMD code needs
# nasm; should that not build, the plain C code does the same work more slowly.
jpeg_build() {
  rm -rf "$work/build/TurboJPEG"
  configure_cmake TurboJPEG -DENABLE_SHARED=OFF -DWITH_JAVA=OFF "-DREQUIRE_SIMD=$1" \
    "-DWITH_SIMD=$1"
  step "TurboJPEG build" cmake --build "$work/build/TurboJPEG" --target turbojpeg-static \
    -j "$jobs"
}
if ! (jpeg_build ON); then
  say "TurboJPEG's SIMD code did not build (its log: above); building it without"
  jpeg_build OFF
fi
install -D -m 644 "$work/build/TurboJPEG/libturbojpeg.a" "$stage/lib/libturbojpeg.a"
install -D -m 644 "$work/build/TurboJPEG/pkgscripts/libturbojpeg.pc" \
  "$stage/lib/pkgconfig/libturbojpeg.pc"
install -D -m 644 turbojpeg.h "$stage/include/turbojpeg.h"
grep -h "SIMD extensions" "$work/log/TurboJPEG configure.log" | tail -n1 >&2
say "TurboJPEG built in $((SECONDS - t)) s"

t=$SECONDS
say "building libopenmpt (minutes: about 200 C++ files)"
cd "$openmpt_src"
# Without -O2 the default -g makes a ten times larger archive.
step "libopenmpt configure" ./configure --prefix="$stage" --build=x86_64-pc-linux-gnu \
  --host="$triple" --disable-shared --disable-openmpt123 --disable-examples --disable-tests \
  --disable-doxygen-doc --without-zlib --without-mpg123 --without-ogg --without-vorbis \
  --without-vorbisfile --without-portaudio --without-portaudiocpp --without-sndfile \
  --without-flac --without-pulseaudio --without-sdl2 "CC=$triple-gcc-posix" \
  "CXX=$triple-g++-posix" CFLAGS=-O2 CXXFLAGS=-O2
step "libopenmpt build" make -j "$jobs"
step "libopenmpt install" make install
say "libopenmpt built in $((SECONDS - t)) s"

say "building FLTK"
# Its own jpeg, png and zlib, built in, so that nothing else's is picked up; Windows' GDI, so no X.
# Cross-compiling, it builds no fluid.
cmake_lib FLTK "$fltk_src" -DOPTION_BUILD_SHARED_LIBS=OFF -DOPTION_USE_SYSTEM_ZLIB=OFF \
  -DOPTION_USE_SYSTEM_LIBJPEG=OFF -DOPTION_USE_SYSTEM_LIBPNG=OFF -DFLTK_BUILD_TEST=OFF \
  -DFLTK_BUILD_EXAMPLES=OFF -DOPTION_BUILD_HTML_DOCUMENTATION=OFF \
  -DOPTION_BUILD_PDF_DOCUMENTATION=OFF -DOPTION_CAIRO=OFF

say "building GoogleTest"
# Without pthreads GoogleTest uses Windows' own locks and threads.
cmake_lib GoogleTest "$gtest_src" -DBUILD_GMOCK=OFF -Dgtest_disable_pthreads=ON

# --- Check: a program using them all links as the show will and runs under Wine ----------------

t=$SECONDS
cd "$work/build"
cat >link-check.c <<'CHECK'
#include <SDL.h>
#include <SDL_mixer.h>
#include <libopenmpt/libopenmpt.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <turbojpeg.h>

/* Entered through SDL2main's WinMain, as sdl2.pc has it. Sound may have no device here: that is
   said, not failed. The rest must work. */
int main(int argc, char *argv[]) {
  (void)argc;
  (void)argv;
  SDL_version v;
  SDL_GetVersion(&v);
  printf("SDL %d.%d.%d openmpt %x\n", v.major, v.minor, v.patch, openmpt_get_library_version());
  if (SDL_Init(SDL_INIT_AUDIO) == 0 && Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024) == 0) {
    printf("sound: %s\n", SDL_GetCurrentAudioDriver());
    Mix_CloseAudio();
  } else {
    printf("sound: none (%s)\n", SDL_GetError());
  }
  SDL_Quit();

  /* A grey 16x16 picture through the encoder and back. */
  static unsigned char grey[16 * 16 * 3], back[16 * 16 * 3];
  memset(grey, 128, sizeof grey);
  unsigned char *jpeg = NULL;
  unsigned long size = 0;
  tjhandle enc = tjInitCompress(), dec = tjInitDecompress();
  if (tjCompress2(enc, grey, 16, 0, 16, TJPF_RGB, &jpeg, &size, TJSAMP_444, 90, 0) != 0 ||
      tjDecompress2(dec, jpeg, size, back, 16, 0, 16, TJPF_RGB, 0) != 0) {
    printf("jpeg: %s\n", tjGetErrorStr());
    return 1;
  }
  int off = 0;
  for (size_t i = 0; i < sizeof back; i++) off |= abs(back[i] - 128) > 2;
  printf("jpeg: %lu bytes, decoded %s\n", size, off ? "wrong" : "alike");
  tjFree(jpeg);

  /* libopenmpt turns junk away by throwing and catching inside: unwinding must work. */
  static const char junk[64];
  openmpt_module *module = openmpt_module_create_from_memory2(junk, sizeof junk, NULL, NULL, NULL,
                                                              NULL, NULL, NULL, NULL);
  printf("openmpt: junk %s\n", module ? "taken" : "refused");
  return off || module != NULL;
}
CHECK
packages=(SDL2_mixer sdl2 libturbojpeg libopenmpt)
step "link check compile" "$triple-gcc-posix" -c -O2 $(pkg-config --cflags "${packages[@]}") \
  link-check.c
# As the show will be: a GUI program (-mwindows) needing only Windows' DLLs (-static), linked as
# C++ for libopenmpt.
step "link check" "$triple-g++-posix" link-check.o -static -mwindows \
  $(pkg-config --static --libs "${packages[@]}") -o link-check.exe

# FLTK's window, made but not shown: its Windows code links and starts without a display.
cat >fltk-check.cpp <<'CHECK'
#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <cstdio>

int main() {
  Fl_Window window(200, 100, "check");
  std::printf("FLTK %d window %dx%d shown %d\n", Fl::api_version(), window.w(), window.h(),
              window.shown());
  return window.w() != 200 || window.shown();
}
CHECK
step "FLTK check compile" "$triple-g++-posix" -c -O2 "-I$stage/include" fltk-check.cpp
# FLTK on Windows: drag and drop through OLE, common controls, sockets for Fl::add_fd.
step "FLTK check link" "$triple-g++-posix" fltk-check.o -static -mwindows "-L$stage/lib" -lfltk \
  -lole32 -luuid -lcomctl32 -lws2_32 -o fltk-check.exe

for exe in link-check.exe fltk-check.exe; do
  dlls=$("$triple-objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | sort -f)
  echo "$exe imports:" $dlls >&2
  if grep -Ei '^lib|sdl|openmpt|jpeg|fltk|gtest|pthread|stdc' <<<"$dlls" >&2; then
    fail "$exe needs the DLLs above, which are no part of Windows"
  fi
done

step "Wine prefix" bash "$here/wine-prefix.sh" "$wineprefix"
export WINEDEBUG=-all WINEPREFIX="$wineprefix"
step "link check run" "$wine" link-check.exe
"$wineserver" -w
grep -v '^ALSA lib' "$work/log/link check run.log" >&2 # Wine asking for a sound card
grep -q "^SDL $sdl2_version " "$work/log/link check run.log" ||
  fail "the linked SDL is not $sdl2_version: $stage/lib/libSDL2.a"
step "FLTK check run" "$wine" fltk-check.exe
"$wineserver" -w
cat "$work/log/FLTK check run.log" >&2
IFS=. read -r major minor patch <<<"$fltk_version"
grep -q "^FLTK $((major * 10000 + minor * 100 + patch)) window 200x100 shown 0" "$work/log/FLTK check run.log" ||
  fail "FLTK's check did not say its window: $stage/lib/libfltk.a"
say "link check passed in $((SECONDS - t)) s"

# --- Into the cache, in one rename -------------------------------------------------------------

# libtool's archive notes are of no use without libtool, and would name the stage. The .pc and
# CMake files name it too; after the rename they are to name the prefix.
rm -f "$stage"/lib/*.la
for f in $(grep -rlF --include='*.pc' --include='*.cmake' --include='*-config' "$stage" "$stage" ||
  true); do
  sed -i "s|$stage|$prefix|g" "$f"
done
finish "# Built by scripts/lib/windows-libs.sh recipe $recipe with:" "$gcc_about" \
  "mingw-w64-x86-64-dev $runtime"
