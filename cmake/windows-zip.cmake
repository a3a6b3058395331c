# Puts the Windows programs, the default media, a config.dat, the licences and README.txt (with
# Windows' line ends) into one folder, and that folder into ZIP, so that it unpacks into one folder
# that plays as it is.
#   cmake -DZIP=... -DFOLDER=name -DPROGRAMS="a.exe;b.exe" -DMEDIA=dir -DSETTINGS=config.dat
#     -DREADME=README.txt -DLICENCES="name=file;..." -DVERSION=0.1 -P cmake/windows-zip.cmake
foreach(variable ZIP FOLDER PROGRAMS MEDIA SETTINGS README LICENCES VERSION)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "windows-zip: ${variable} is not given")
  endif()
endforeach()

cmake_path(GET ZIP PARENT_PATH out)
set(stage ${out}/zip-stage)
set(top ${stage}/${FOLDER})
file(REMOVE_RECURSE ${stage})
file(MAKE_DIRECTORY ${top}/licences)

file(COPY ${PROGRAMS} DESTINATION ${top})
foreach(name texture.jpg smoke.jpg logo.jpg logo2.jpg web.jpg thanks.jpg strike.wav swirlbeam.wav
    thanks.wav music.dat)
  if(NOT EXISTS ${MEDIA}/${name})
    message(FATAL_ERROR "windows-zip: ${MEDIA}/${name} is missing")
  endif()
  file(COPY ${MEDIA}/${name} DESTINATION ${top})
endforeach()
# The settings as the media maker made them, never those a play in its folder left.
file(COPY ${SETTINGS} DESTINATION ${top})

foreach(pair ${LICENCES})
  string(REPLACE "=" ";" pair ${pair})
  list(GET pair 0 name)
  list(GET pair 1 file)
  file(READ ${file} text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${top}/licences/${name}.txt "${text}")
endforeach()

file(READ ${README} text)
string(REPLACE "@PROJECT_VERSION@" "${VERSION}" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${top}/README.txt "${text}")

# Entries in a fixed order, so the same inputs give the same listing.
file(GLOB_RECURSE entries RELATIVE ${stage} ${top}/*)
list(SORT entries)
file(REMOVE ${ZIP})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${ZIP} --format=zip -- ${entries}
  WORKING_DIRECTORY ${stage} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "windows-zip: could not write ${ZIP}")
endif()
file(REMOVE_RECURSE ${stage})
