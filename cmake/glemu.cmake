# Emscripten's fixed-function GL emulation, trimmed to what the show uses: a copy of its library,
# linked after the original so that it replaces it, with these changes.
# - It sets up at least 28 texture units for every draw (Math.max where its own comment means a
#   limit), each beyond WebGL's 16 vertex attributes an invalid call; the show textures through
#   unit 0 only.
# - It uploads a normal matrix on every draw, as it tests the array of lights (always true) rather
#   than whether the program it draws with was made for lighting.
# - It passes GL_PERSPECTIVE_CORRECTION_HINT on to WebGL, which has no such hint (and always
#   corrects): an invalid call.
# - It warns on the console that it is in use, and that glShadeModel does nothing (the show's
#   colours are flat per quad), which says nothing to a player; its other warnings stay.
# The copy is made only from the one version of the file it was written against: another version
# stops the configuration here, to be looked at again.
set(glemu_source "${EMSCRIPTEN_ROOT_PATH}/src/library_glemu.js")
set(glemu_sha256 4800494f0375421d8c61a4e6d81bedf5350ab1ba398b77a18682a37f010770f2)
set(glemu_copy "${CMAKE_BINARY_DIR}/library_glemu_trimmed.js")

set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${glemu_source}")
file(SHA256 "${glemu_source}" hash)
if(NOT hash STREQUAL glemu_sha256)
  message(FATAL_ERROR "${glemu_source} is not the version cmake/glemu.cmake trims "
    "(SHA-256 ${hash}): check its changes still apply and are still needed, then update them")
endif()
file(READ "${glemu_source}" glemu)
# Each text must occur exactly once. (Not a list: the texts hold semicolons.)
function(glemu_change from to)
  string(REPLACE "${from}" "" without "${glemu}")
  string(LENGTH "${glemu}" before)
  string(LENGTH "${without}" after)
  string(LENGTH "${from}" size)
  math(EXPR occurrences "(${before} - ${after}) / ${size}")
  if(NOT occurrences EQUAL 1)
    message(FATAL_ERROR "${glemu_source}: \"${from}\" occurs ${occurrences} times, not once")
  endif()
  string(REPLACE "${from}" "${to}" glemu "${glemu}")
  set(glemu "${glemu}" PARENT_SCOPE)
endfunction()
glemu_change("GLImmediate.MAX_TEXTURES = Math.max(Module['GL_MAX_TEXTURE_IMAGE_UNITS'] || \
GLctx.getParameter(GLctx.MAX_TEXTURE_IMAGE_UNITS), 28);" "GLImmediate.MAX_TEXTURES = 1;")
glemu_change("if (GLEmulation.lightEnabled) {" "if (this.hasLighting) {")
glemu_change("if (target == 0x84EF) { // GL_TEXTURE_COMPRESSION_HINT"
  "if (target == 0x84EF || target == 0x0C50) { // and GL_PERSPECTIVE_CORRECTION_HINT")
glemu_change("glShadeModel: function() { warnOnce('TODO: glShadeModel') },"
  "glShadeModel: function() {},")
foreach(banner
    "GL emulation. This is a collection of limited workarounds, do not expect it to work."
    "GL emulation unsafe opts. If weirdness happens, try -s GL_UNSAFE_OPTS=0"
    "GL immediate mode emulation. This is very limited in what it supports")
  glemu_change("err('WARNING: using emscripten ${banner}');" "")
endforeach()
# Written through a copy so that an unchanged result does not relink the program.
file(WRITE "${glemu_copy}.new" "${glemu}")
configure_file("${glemu_copy}.new" "${glemu_copy}" COPYONLY)
