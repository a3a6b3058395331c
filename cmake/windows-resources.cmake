# The Windows program's resources from res/windows/: its icon, its manifest and the version
# information Explorer shows, compiled by windres into TARGET.
#   swirlbeam_windows_resources(TARGET DESCRIPTION)
enable_language(RC)

function(swirlbeam_windows_resources target description)
  # Windows numbers a version in four parts.
  set(parts)
  foreach(part MAJOR MINOR PATCH TWEAK)
    if("${PROJECT_VERSION_${part}}" STREQUAL "")
      list(APPEND parts 0)
    else()
      list(APPEND parts ${PROJECT_VERSION_${part}})
    endif()
  endforeach()
  list(JOIN parts . SWIRLBEAM_FILE_VERSION)
  list(JOIN parts , SWIRLBEAM_VERSION_COMMAS)
  set(SWIRLBEAM_PROGRAM ${target})
  set(SWIRLBEAM_DESCRIPTION "${description}")
  set(SWIRLBEAM_ICON ${PROJECT_SOURCE_DIR}/res/swirlbeam.ico)
  set(SWIRLBEAM_MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest)
  configure_file(${PROJECT_SOURCE_DIR}/res/windows/swirlbeam.manifest ${SWIRLBEAM_MANIFEST} @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/res/windows/swirlbeam.rc.in
    ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  # windres reads the icon and the manifest as it compiles.
  set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/${target}.rc PROPERTIES
    OBJECT_DEPENDS "${SWIRLBEAM_ICON};${SWIRLBEAM_MANIFEST}")
endfunction()
