# Where `cmake --install` and the Debian package put the show, its launcher, media and desktop
# files. The show itself reads everything from its working folder; the launcher gives it one.

install(TARGETS swirlbeam swirlbeam-capture RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET swirlbeam-display-guard)
  install(TARGETS swirlbeam-display-guard RUNTIME
    DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/swirlbeam)
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
install(FILES dist/invalid.swirlbeam.Swirlbeam.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES dist/swirlbeam.6 dist/swirlbeam-play.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES dist/swirlbeam-capture.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
