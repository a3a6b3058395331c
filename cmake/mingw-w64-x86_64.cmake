# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (posix threads), into programs that
# need only Windows' own DLLs, against the libraries scripts/lib/windows-libs.sh builds. Tests
# run under Debian's Wine through CTest.
#   prefix=$(bash scripts/lib/windows-libs.sh | tail -n1)
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#     -DSWIRLBEAM_WINDOWS_PREFIX="$prefix" -DSWIRLBEAM_WINEPREFIX="$(dirname "$prefix")/wine"
# windows-libs.sh builds its libraries with this file too: a change here that would build them
# otherwise wants its recipe bumped.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)

# Given on the command line or in the environment; try_compile projects see only the latter.
if(NOT SWIRLBEAM_WINDOWS_PREFIX)
  set(SWIRLBEAM_WINDOWS_PREFIX "$ENV{SWIRLBEAM_WINDOWS_PREFIX}")
endif()
if(NOT SWIRLBEAM_WINEPREFIX)
  set(SWIRLBEAM_WINEPREFIX "$ENV{WINEPREFIX}")
endif()
set(ENV{SWIRLBEAM_WINDOWS_PREFIX} "${SWIRLBEAM_WINDOWS_PREFIX}")
set(ENV{WINEPREFIX} "${SWIRLBEAM_WINEPREFIX}")

# Headers and libraries from the prefix and MinGW's own; programs from the build machine.
set(CMAKE_FIND_ROOT_PATH ${SWIRLBEAM_WINDOWS_PREFIX} /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config reads the prefix's .pc files alone, never the build machine's.
if(SWIRLBEAM_WINDOWS_PREFIX)
  set(ENV{PKG_CONFIG_LIBDIR} "${SWIRLBEAM_WINDOWS_PREFIX}/lib/pkgconfig")
  set(ENV{PKG_CONFIG_PATH} "")
endif()

# libgcc, libstdc++ and winpthread linked in: the program runs without MinGW's DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
set(CMAKE_MODULE_LINKER_FLAGS_INIT -static)
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")

# Debian keeps wine64 off PATH. Without a WINEPREFIX Wine uses (and makes) ~/.wine.
find_program(SWIRLBEAM_WINE64 wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(SWIRLBEAM_WINE64)
  set(wine_env WINEDEBUG=-all)
  if(SWIRLBEAM_WINEPREFIX)
    list(APPEND wine_env WINEPREFIX=${SWIRLBEAM_WINEPREFIX})
  endif()
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_COMMAND} -E env ${wine_env} ${SWIRLBEAM_WINE64})
endif()
