# The browser build (emcmake cmake): the show's layers with the web platform files, linked
# against the libraries scripts/lib/web-libs.sh builds from Debian's sources, into a static site:
# ${CMAKE_BINARY_DIR}/site. scripts/web.sh runs all of it.
set(SWIRLBEAM_WEB_LIBS "" CACHE PATH "Install prefix of the libraries built for the web")
set(SWIRLBEAM_WEB_MEDIA "" CACHE PATH "Folder holding the default media and config.dat")
foreach(lib SDL2 SDL2_mixer turbojpeg openmpt)
  if(NOT EXISTS "${SWIRLBEAM_WEB_LIBS}/lib/lib${lib}.a")
    message(FATAL_ERROR "lib${lib}.a is not in SWIRLBEAM_WEB_LIBS (${SWIRLBEAM_WEB_LIBS}/lib); "
      "scripts/lib/web-libs.sh builds it")
  endif()
endforeach()
if(NOT EXISTS "${SWIRLBEAM_WEB_MEDIA}/config.dat")
  message(FATAL_ERROR "SWIRLBEAM_WEB_MEDIA (${SWIRLBEAM_WEB_MEDIA}) holds no default media")
endif()

# The page's platform libraries, for its layers (src/CMakeLists.txt). Exceptions caught, as on the
# desktop: libopenmpt rejects a damaged module by throwing (it is built so), and the sound code
# catches it; without this the throw would end the page.
add_library(swirlbeam_platform_libraries INTERFACE)
target_include_directories(swirlbeam_platform_libraries INTERFACE
  ${SWIRLBEAM_WEB_LIBS}/include ${SWIRLBEAM_WEB_LIBS}/include/SDL2)
target_link_libraries(swirlbeam_platform_libraries INTERFACE
  ${SWIRLBEAM_WEB_LIBS}/lib/libSDL2_mixer.a ${SWIRLBEAM_WEB_LIBS}/lib/libSDL2.a
  ${SWIRLBEAM_WEB_LIBS}/lib/libopenmpt.a ${SWIRLBEAM_WEB_LIBS}/lib/libturbojpeg.a)
add_compile_options(-O2 -fexceptions)
add_subdirectory(src)

include(cmake/glemu.cmake)

set(site ${CMAKE_BINARY_DIR}/site)
# The page's scripts run before the program, in this order: each uses those before it, and the
# page's parts call each other only once all have run.
set(page_scripts "")
foreach(script storage own_files page_state page_boxes page_files page_own_media page_show
    page_form page)
  list(APPEND page_scripts ${CMAKE_SOURCE_DIR}/web/${script}.js)
endforeach()
set(audio_library ${CMAKE_SOURCE_DIR}/web/library_audio.js)
set(pre_js "")
foreach(script ${page_scripts})
  list(APPEND pre_js "SHELL:--pre-js ${script}")  # SHELL: keeps each --pre-js
endforeach()
add_executable(swirlbeam web/main.cpp web/form.cpp web/capture.cpp web/own_files.cpp)
target_link_libraries(swirlbeam PRIVATE swirlbeam_replay swirlbeam_dialog)
target_link_options(swirlbeam PRIVATE
  -O2 -fexceptions -sENVIRONMENT=web -sALLOW_MEMORY_GROWTH=1
  -sLEGACY_GL_EMULATION=1 -sGL_FFP_ONLY=1 --js-library ${glemu_copy}
  "SHELL:--js-library ${audio_library}"  # SHELL: keeps the repeated option
  -sFORCE_FILESYSTEM=1
  "-sEXPORTED_RUNTIME_METHODS=[\"callMain\",\"ccall\",\"FS\",\"UTF8ToString\"]"
  # SDL's audio calls these from JavaScript; in a file, as make would mangle their '$'.
  -sDEFAULT_LIBRARY_FUNCS_TO_INCLUDE=@${CMAKE_SOURCE_DIR}/web/library-funcs.json
  ${pre_js}
  --preload-file ${SWIRLBEAM_WEB_MEDIA}@/defaults)
set_target_properties(swirlbeam PROPERTIES SUFFIX .js RUNTIME_OUTPUT_DIRECTORY ${site}
  LINK_DEPENDS "${page_scripts};${glemu_copy};${audio_library}")

# The page's own files beside the program's: its loader and the loader's workers, its service
# worker (completed below) and what an installed app shows, icons at the sizes browsers ask for
# included.
set(page_files web/index.html web/page.css web/retry.js web/offline.js web/loader.js web/checker_worker.js
  web/gpu_worker.js web/manifest.webmanifest res/comet_swirl.png)
foreach(file ${page_files})
  get_filename_component(name ${file} NAME)
  configure_file(${file} ${site}/${name} COPYONLY)
endforeach()
configure_file(res/icons/32x32.png ${site}/icon.png COPYONLY)
foreach(size 180 192 512)
  configure_file(res/icons/${size}x${size}.png ${site}/icons/${size}.png COPYONLY)
endforeach()

# The page carries its libraries' code, so it carries their licences too: Debian's copyright files
# of the same versions, which the desktop build's packages install.
configure_file(LICENSE ${site}/licences/swirlbeam.txt COPYONLY)
foreach(pair SDL2:libsdl2-2.0-0 SDL2_mixer:libsdl2-mixer-2.0-0 libjpeg-turbo:libturbojpeg0
    libopenmpt:libopenmpt0)
  string(REPLACE ":" ";" pair ${pair})
  list(GET pair 0 library)
  list(GET pair 1 package)
  set(copyright /usr/share/doc/${package}/copyright)
  if(NOT EXISTS ${copyright})
    message(FATAL_ERROR "${copyright} is missing: install ${package} (scripts/install-deps.sh)")
  endif()
  configure_file(${copyright} ${site}/licences/${library}.txt COPYONLY)
endforeach()

# Each build's files with their sizes and SHA-256 and the build's id (build.json, sw.js), made
# after every build: the loader checks each download against them, the worker caches one build.
add_custom_target(site_manifest ALL
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/web/sw.js ${site}/sw.js
  COMMAND ${CMAKE_COMMAND} -DSITE=${site} -P ${CMAKE_SOURCE_DIR}/cmake/web-manifest.cmake
  VERBATIM)
add_dependencies(site_manifest swirlbeam)
