# The target windows-zip: swirlbeam-<version>-windows-x64.zip in the build folder, the programs with
# the default media the desktop build's media maker made (scripts/windows.sh passes them), a
# config.dat, the licences of everything linked in, and README.txt.
set(SWIRLBEAM_MEDIA "" CACHE PATH "Folder holding the default media")
set(SWIRLBEAM_DEFAULT_SETTINGS "" CACHE FILEPATH "The default config.dat")

# The licences of what the program carries: ours; Debian's copyright files of its libraries, as
# the page carries them (the desktop build's packages install them; FLTK's is of 1.3.8, whose terms
# 1.3.11 keeps); and those of MinGW-w64's runtime and GCC's, linked in.
set(licences swirlbeam=${PROJECT_SOURCE_DIR}/LICENSE)
foreach(pair SDL2:libsdl2-2.0-0 SDL2_mixer:libsdl2-mixer-2.0-0 libjpeg-turbo:libturbojpeg0
    libopenmpt:libopenmpt0 FLTK:libfltk1.3 mingw-w64-runtime:mingw-w64-common
    gcc-runtime:gcc-mingw-w64-base)
  string(REPLACE ":" ";" pair ${pair})
  list(GET pair 0 name)
  list(GET pair 1 package)
  if(NOT EXISTS /usr/share/doc/${package}/copyright)
    message(FATAL_ERROR "/usr/share/doc/${package}/copyright is missing: install ${package}")
  endif()
  list(APPEND licences ${name}=/usr/share/doc/${package}/copyright)
endforeach()

set(folder swirlbeam-${PROJECT_VERSION}-windows-x64)
set(swirlbeam_windows_zip ${CMAKE_BINARY_DIR}/${folder}.zip)
add_custom_target(windows-zip
  COMMAND ${CMAKE_COMMAND} -DZIP=${swirlbeam_windows_zip} -DFOLDER=${folder}
    "-DPROGRAMS=$<TARGET_FILE:swirlbeam>;$<TARGET_FILE:swirlbeam-capture>"
    -DMEDIA=${SWIRLBEAM_MEDIA} -DSETTINGS=${SWIRLBEAM_DEFAULT_SETTINGS}
    -DREADME=${PROJECT_SOURCE_DIR}/res/windows/README.txt "-DLICENCES=${licences}"
    -DVERSION=${PROJECT_VERSION} -P ${PROJECT_SOURCE_DIR}/cmake/windows-zip.cmake
  DEPENDS swirlbeam swirlbeam-capture
  COMMENT "Making ${folder}.zip"
  VERBATIM)
