# Run by CPack on the Debian package's staged files, before they are packed: what Debian's policy
# asks of the package beyond what `cmake --install` writes. The maintainer and version are CPack's,
# so `cpack -D CPACK_DEBIAN_PACKAGE_MAINTAINER=...` changes them here too.
set(usr "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
if(NOT EXISTS "${usr}/bin/swirlbeam")
  message(FATAL_ERROR "deb-staging: no staged show at ${usr}/bin/swirlbeam")
endif()

# A game's programs go in /usr/games, all of them (lintian: a games package with /usr/bin). The
# launcher runs the show beside it and finds the media from the prefix, one level up from either
# folder, as the show finds its guard.
file(MAKE_DIRECTORY "${usr}/games")
foreach(program swirlbeam swirlbeam-play swirlbeam-capture)
  file(RENAME "${usr}/bin/${program}" "${usr}/games/${program}")
endforeach()
file(GLOB left "${usr}/bin/*")
if(left)
  message(FATAL_ERROR "deb-staging: programs outside /usr/games: ${left}")
endif()
file(REMOVE_RECURSE "${usr}/bin")

# The package is native (its packaging is the project's own, version without a Debian revision),
# so its Debian changelog is changelog.gz, as Debian's policy and lintian ask. SOURCE_DATE_EPOCH,
# when set, makes the date (and so the package) reproducible.
set(doc "${usr}/share/doc/${CPACK_PACKAGE_NAME}")
string(TIMESTAMP date "%a, %d %b %Y %H:%M:%S +0000" UTC)
file(WRITE "${doc}/changelog"
  "${CPACK_PACKAGE_NAME} (${CPACK_PACKAGE_VERSION}) unstable; urgency=medium\n\n"
  "  * Swirlbeam ${CPACK_PACKAGE_VERSION}, packaged from its own build.\n\n"
  " -- ${CPACK_DEBIAN_PACKAGE_MAINTAINER}  ${date}\n")
execute_process(COMMAND gzip -9nf changelog WORKING_DIRECTORY "${doc}" RESULT_VARIABLE gz)
if(NOT gz EQUAL 0)
  message(FATAL_ERROR "deb-staging: gzip failed: ${doc}/changelog")
endif()

# The project has no mail address yet: its placeholder, under the reserved .invalid name, is the
# one thing the package overrides, where lintian finds it (the Maintainer field and the changelog's
# signature). A real maintainer address gets no override.
if(CPACK_DEBIAN_PACKAGE_MAINTAINER MATCHES "<(.*@invalid)>$")
  set(address ${CMAKE_MATCH_1})
  file(WRITE "${usr}/share/lintian/overrides/${CPACK_PACKAGE_NAME}"
    "# No project mail address exists yet; set one with SWIRLBEAM_MAINTAINER (scripts/package.sh).\n"
    "${CPACK_PACKAGE_NAME}: bogus-mail-host Maintainer ${address}\n"
    "${CPACK_PACKAGE_NAME}: bogus-mail-host-in-debian-changelog ${address} *\n")
endif()
