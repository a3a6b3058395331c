# The Windows build's libraries, as the target swirlbeam_platform_libraries: the static ones
# scripts/lib/windows-libs.sh builds, found in its prefix alone (the toolchain file
# cmake/mingw-w64-x86_64.cmake sees to that), and Windows' OpenGL.
if(NOT EXISTS "${SWIRLBEAM_WINDOWS_PREFIX}/lib/pkgconfig/sdl2.pc")
  message(FATAL_ERROR "SWIRLBEAM_WINDOWS_PREFIX (${SWIRLBEAM_WINDOWS_PREFIX}) holds no libraries; "
    "scripts/lib/windows-libs.sh builds them")
endif()
# SDL's own CMake files, not its .pc file: that one renames main to SDL_main for SDL2main's
# WinMain, which the show's C++ main would not match. A GUI program's main is called by MinGW's
# start-up code as it is.
find_package(SDL2 REQUIRED CONFIG)
find_package(SDL2_mixer REQUIRED CONFIG)
find_package(PkgConfig REQUIRED)
# --static: the libraries each of them needs in turn, Windows' own included.
set(PKG_CONFIG_ARGN --static)
pkg_check_modules(OPENMPT REQUIRED IMPORTED_TARGET libopenmpt)
pkg_check_modules(TURBOJPEG REQUIRED IMPORTED_TARGET libturbojpeg)
find_package(OpenGL REQUIRED COMPONENTS OpenGL)
# Not FLTK's own config file: cross-compiled, it looks for a fluid to run here, which the show does
# not need. The show uses none of fltk_images; the capture tool writes its pictures with FLTK's
# bundled libpng and zlib (their names prefixed with fltk_, so they clash with no other copy).
find_path(FLTK_INCLUDE_DIR FL/Fl.H REQUIRED)
find_library(FLTK_LIBRARY fltk REQUIRED)
add_library(fltk STATIC IMPORTED)
# What FLTK's Windows code calls besides the DLLs every GUI program gets: OLE for drag and drop,
# the common controls, sockets for Fl::add_fd.
set_target_properties(fltk PROPERTIES IMPORTED_LOCATION ${FLTK_LIBRARY}
  INTERFACE_INCLUDE_DIRECTORIES ${FLTK_INCLUDE_DIR}
  INTERFACE_LINK_LIBRARIES "ole32;uuid;comctl32;ws2_32")

add_library(swirlbeam_platform_libraries INTERFACE)
target_link_libraries(swirlbeam_platform_libraries INTERFACE
  SDL2_mixer::SDL2_mixer-static SDL2::SDL2-static PkgConfig::OPENMPT PkgConfig::TURBOJPEG
  OpenGL::GL OpenGL::GLU fltk)

# libpng and zlib as FLTK bundles them: <png.h> and <zlib.h> from FL/images.
find_library(FLTK_PNG_LIBRARY fltk_png REQUIRED)
find_library(FLTK_Z_LIBRARY fltk_z REQUIRED)
add_library(fltk_z STATIC IMPORTED)
set_target_properties(fltk_z PROPERTIES IMPORTED_LOCATION ${FLTK_Z_LIBRARY}
  INTERFACE_INCLUDE_DIRECTORIES ${FLTK_INCLUDE_DIR}/FL/images)
add_library(fltk_png STATIC IMPORTED)
set_target_properties(fltk_png PROPERTIES IMPORTED_LOCATION ${FLTK_PNG_LIBRARY}
  INTERFACE_INCLUDE_DIRECTORIES ${FLTK_INCLUDE_DIR}/FL/images INTERFACE_LINK_LIBRARIES fltk_z)
