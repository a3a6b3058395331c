# Where `cmake --install` and the Debian package put the show, its launcher, media and desktop
# files. The show itself reads everything from its working folder; the launcher gives it one.

install(TARGETS swirlbeam RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET swirlbeam-capture)
  install(TARGETS swirlbeam-capture RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
if(TARGET swirlbeam-display-guard)
  install(TARGETS swirlbeam-display-guard RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/swirlbeam)
endif()

# The launcher finds the media relative to itself, so a package built for one prefix, or a tree
# moved after installing, still works.
file(RELATIVE_PATH launcher_to_prefix ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_PREFIX})
file(RELATIVE_PATH prefix_to_media ${CMAKE_INSTALL_PREFIX}
  ${CMAKE_INSTALL_FULL_DATADIR}/swirlbeam/media)
configure_file(dist/swirlbeam-play.in swirlbeam-play @ONLY FILE_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
install(PROGRAMS ${CMAKE_CURRENT_BINARY_DIR}/swirlbeam-play DESTINATION ${CMAKE_INSTALL_BINDIR})

foreach(size 16 32 48 64 128 256)
  install(FILES res/icons/${size}x${size}.png RENAME swirlbeam.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES dist/swirlbeam.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES dist/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES dist/invalid.swirlbeam.Swirlbeam.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Man pages go in gzipped (-n: no name or time stamp, so the same page gives the same bytes), as
# Debian's policy asks; man reads them either way.
foreach(page swirlbeam.6 swirlbeam-play.6 swirlbeam-capture.1)
  set(gz ${CMAKE_CURRENT_BINARY_DIR}/man/${page}.gz)
  add_custom_command(OUTPUT ${gz}
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/dist/${page} man/${page}
    COMMAND gzip -9nf man/${page}
    DEPENDS dist/${page} VERBATIM)
  list(APPEND man_pages ${gz})
  string(REGEX REPLACE ".*\\." "" section ${page})
  install(FILES ${gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endforeach()
add_custom_target(man_pages ALL DEPENDS ${man_pages})

# `cpack -G DEB` in the build folder makes the Debian package from the same install rules.
set(SWIRLBEAM_PACKAGE_MAINTAINER "Swirlbeam developers <swirlbeam@invalid>" CACHE STRING
  "Name and address in the Debian package's Maintainer field")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME swirlbeam)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "real-time OpenGL demo with glowing comets and music")
set(CPACK_PACKAGE_DESCRIPTION "Swirlbeam plays one fixed audiovisual show of 168.5 seconds: red, green and
blue comets with fading trails chase one another, a turning smoke background
fades in, a logo flies towards you in front of its echo layers, and everything
fades to black with the music. A small settings dialog comes first.
.
The menu entry plays the show from the player's own folder, where the default
pictures, music and settings can be replaced with one's own.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${SWIRLBEAM_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# SDL opens libGL at run time, so the binaries' own links do not name it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS libgl1)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS ffmpeg)  # swirlbeam-capture --video
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# The programs to /usr/games, the changelog and the placeholder maintainer's lintian override.
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/deb-staging.cmake)
include(CPack)
