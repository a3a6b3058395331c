# The desktop platform's libraries, as the target swirlbeam_platform_libraries: found once for the
# program, the tools and the tests (CMakeLists.txt) and for the fuzz targets (fuzz/).
find_package(PkgConfig REQUIRED)
pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
pkg_check_modules(SDL2_MIXER REQUIRED IMPORTED_TARGET SDL2_mixer)
pkg_check_modules(OPENMPT REQUIRED IMPORTED_TARGET libopenmpt)
pkg_check_modules(TURBOJPEG REQUIRED IMPORTED_TARGET libturbojpeg)
# Asked before SDL's drivers: the PulseAudio server, and ALSA's own messages kept off stderr.
pkg_check_modules(PULSE REQUIRED IMPORTED_TARGET libpulse)
pkg_check_modules(ALSA REQUIRED IMPORTED_TARGET alsa)
set(OpenGL_GL_PREFERENCE GLVND)
find_package(OpenGL REQUIRED COMPONENTS OpenGL)
# Not FLTK's own config file: Debian's names the fluid program, packaged apart, which the show
# does not need.
find_path(FLTK_INCLUDE_DIR FL/Fl.H REQUIRED)
foreach(lib fltk fltk_images)
  find_library(${lib}_LIBRARY ${lib} REQUIRED)
  add_library(${lib} SHARED IMPORTED)
  set_target_properties(${lib} PROPERTIES IMPORTED_LOCATION ${${lib}_LIBRARY}
    INTERFACE_INCLUDE_DIRECTORIES ${FLTK_INCLUDE_DIR})
endforeach()
find_package(X11 REQUIRED)  # the icon's sizes and the dialog's own display connection

add_library(swirlbeam_platform_libraries INTERFACE)
target_link_libraries(swirlbeam_platform_libraries INTERFACE
  PkgConfig::SDL2 PkgConfig::SDL2_MIXER PkgConfig::OPENMPT PkgConfig::TURBOJPEG PkgConfig::PULSE
  PkgConfig::ALSA OpenGL::GL OpenGL::GLU fltk fltk_images X11::X11)
