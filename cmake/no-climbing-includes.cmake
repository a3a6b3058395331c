# Fails when a source under DIR includes a file by a path that climbs with "../": such a path
# gets round the layers' views of src/, which let a layer include only its own folders and those
# below it.
#   cmake -DDIR=src -P cmake/no-climbing-includes.cmake
file(GLOB_RECURSE sources ${DIR}/*.cpp ${DIR}/*.h)
set(found "")
foreach(source ${sources})
  file(STRINGS ${source} climbing REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<][^\">]*\\.\\./")
  if(climbing)
    string(APPEND found "\n  ${source}: ${climbing}")
  endif()
endforeach()
if(found)
  message(FATAL_ERROR "includes that climb with ../ (name the folder from src/ instead):${found}")
endif()
