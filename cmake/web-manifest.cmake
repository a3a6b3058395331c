# Describes one build of the site for its loader and its service worker: the size and SHA-256 of
# every file the page needs offline, and a build id made from them. Writes build.json, and the
# same line into sw.js, whose change is what tells browsers that a new build was deployed. Run
# after each build, and again on any copy of a site whose files were changed.
#   cmake -DSITE=build-web/site -P cmake/web-manifest.cmake
set(names index.html page.css retry.js loader.js manifest.webmanifest comet_swirl.xpm icon.png
  swirlbeam.js swirlbeam.wasm swirlbeam.data)
file(GLOB extra RELATIVE ${SITE} ${SITE}/icons/*.png ${SITE}/licences/*.txt)
list(SORT extra)
list(APPEND names ${extra})

set(entries "")
set(all "")
foreach(name ${names})
  if(NOT EXISTS ${SITE}/${name})
    message(FATAL_ERROR "web-manifest: ${SITE}/${name} is missing")
  endif()
  file(SIZE ${SITE}/${name} size)
  file(SHA256 ${SITE}/${name} sha)
  list(APPEND entries "\"${name}\": {\"size\": ${size}, \"sha256\": \"${sha}\"}")
  string(APPEND all "${name} ${size} ${sha}\n")
endforeach()
string(SHA256 id "${all}")
string(SUBSTRING ${id} 0 16 id)
list(JOIN entries ", " entries)
set(json "{\"id\": \"${id}\", \"files\": {${entries}}}")
file(WRITE ${SITE}/build.json "${json}\n")

file(READ ${SITE}/sw.js worker)
string(REGEX REPLACE "const build = [^\n]*;" "const build = ${json};" worker "${worker}")
if(NOT worker MATCHES "\"id\": \"${id}\"")
  message(FATAL_ERROR "web-manifest: ${SITE}/sw.js has no line 'const build = …;'")
endif()
file(WRITE ${SITE}/sw.js "${worker}")
