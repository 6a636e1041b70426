cmake_minimum_required(VERSION 3.25)
# Checks every #include "folder/..." of the source tree against the table of layers:
#   cmake -DSOURCE_DIR=<project> -P CheckLayering.cmake
# Lists each include that crosses a layer the wrong way, and each source folder the table
# does not name, and fails when there is any.
include(${CMAKE_CURRENT_LIST_DIR}/Layers.cmake)

set(violations)

# Appends the includes of one file that name a project folder outside the allowed ones.
function(check_file file allowed)
  file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line IN LISTS lines)
    if(NOT line MATCHES "\"([^\"/]+)/[^\"]*\"")
      continue()  # a header beside the file
    endif()
    set(folder ${CMAKE_MATCH_1})
    if(NOT IS_DIRECTORY ${SOURCE_DIR}/${folder} OR folder IN_LIST allowed)
      continue()  # not a folder of the project (a system path), or allowed
    endif()
    file(RELATIVE_PATH relative ${SOURCE_DIR} ${file})
    string(STRIP "${line}" line)
    list(APPEND violations "${relative}: ${line}")
  endforeach()
  set(violations ${violations} PARENT_SCOPE)
endfunction()

# Folders whose code is not a layer of the program.
set(not_layers tests bench res cmake build)

file(GLOB top LIST_DIRECTORIES true RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*)
foreach(folder IN LISTS top)
  if(NOT IS_DIRECTORY ${SOURCE_DIR}/${folder} OR folder MATCHES "^(\\.|build)" OR folder IN_LIST not_layers)
    continue()
  endif()
  file(GLOB_RECURSE sources ${SOURCE_DIR}/${folder}/*.cpp ${SOURCE_DIR}/${folder}/*.h)
  if(NOT sources)
    continue()
  endif()
  if(NOT folder IN_LIST STRATAVIEW_LAYERS)
    list(APPEND violations "${folder}/: a source folder that is no layer of the table")
    continue()
  endif()
  foreach(file IN LISTS sources)
    check_file(${file} "${STRATAVIEW_LAYER_USES_${folder}}")
  endforeach()
endforeach()
check_file(${SOURCE_DIR}/main.cpp "${STRATAVIEW_MAIN_USES}")

if(violations)
  list(JOIN violations "\n  " text)
  message(FATAL_ERROR "Includes across the layers:\n  ${text}")
endif()
list(LENGTH STRATAVIEW_LAYERS count)
message(STATUS "The includes of ${count} layers keep to the table")
