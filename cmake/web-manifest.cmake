# Describes one build of the site for its loader and its service worker: the size and SHA-256 of
# every file the page needs offline, and a build id made from them. Writes build.json, and the
# same line into sw.js, whose change is what tells browsers that a new build was deployed. Run
# after each build, and again on any copy of a site whose files were changed.
#   cmake -DSITE=build-web/site -P cmake/web-manifest.cmake
cmake_policy(SET CMP0057 NEW)  # if(IN_LIST)
set(names index.html page.css retry.js offline.js loader.js checker_worker.js gpu_worker.js
  manifest.webmanifest comet_swirl.png icon.png swirlbeam.js swirlbeam.wasm swirlbeam.data)
file(GLOB extra RELATIVE ${SITE} ${SITE}/icons/*.png ${SITE}/licences/*.txt)
list(SORT extra)
list(APPEND names ${extra})

# The page and its loader carry the id too, so that a page load can tell that it runs one build
# whole, and the page asks for its scripts and style by it, so that a browser's cache never gives
# it those of another build. Each place is a pattern and what it becomes, the id at @build@; the
# id is made from the files with @build@ there.
set(stamped index.html loader.js)
set(places_index.html "data-build=\"[^\"]*\"" "data-build=\"@build@\""
  "(src|href)=\"(retry\\.js|offline\\.js|loader\\.js|page\\.css)(\\?v=[^\"]*)?\"" "\\1=\"\\2?v=@build@\"")
set(places_loader.js "const ownBuild = '[^']*'" "const ownBuild = '@build@'")

# `name`'s text with every place holding @build@.
function(unstamped name out)
  file(READ ${SITE}/${name} text)
  set(places ${places_${name}})
  while(places)
    list(POP_FRONT places pattern becomes)
    if(NOT text MATCHES "${pattern}")
      message(FATAL_ERROR "web-manifest: ${SITE}/${name} has no place for the build's id")
    endif()
    string(REGEX REPLACE "${pattern}" "${becomes}" text "${text}")
  endwhile()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

set(all "")
foreach(name ${names})
  if(NOT EXISTS ${SITE}/${name})
    message(FATAL_ERROR "web-manifest: ${SITE}/${name} is missing")
  endif()
  if(name IN_LIST stamped)
    unstamped(${name} text)
    string(SHA256 sha "${text}")
  else()
    file(SHA256 ${SITE}/${name} sha)
  endif()
  string(APPEND all "${name} ${sha}\n")
endforeach()
string(SHA256 id "${all}")
string(SUBSTRING ${id} 0 16 id)

foreach(name ${stamped})
  unstamped(${name} text)
  string(REPLACE "@build@" "${id}" text "${text}")
  file(WRITE ${SITE}/${name} "${text}")
endforeach()

set(entries "")
foreach(name ${names})
  file(SIZE ${SITE}/${name} size)
  file(SHA256 ${SITE}/${name} sha)
  list(APPEND entries "\"${name}\": {\"size\": ${size}, \"sha256\": \"${sha}\"}")
endforeach()
list(JOIN entries ", " entries)
set(json "{\"id\": \"${id}\", \"files\": {${entries}}}")
file(WRITE ${SITE}/build.json "${json}\n")

file(READ ${SITE}/sw.js worker)
string(REGEX REPLACE "const build = [^\n]*;" "const build = ${json};" worker "${worker}")
if(NOT worker MATCHES "\"id\": \"${id}\"")
  message(FATAL_ERROR "web-manifest: ${SITE}/sw.js has no line 'const build = …;'")
endif()
file(WRITE ${SITE}/sw.js "${worker}")
