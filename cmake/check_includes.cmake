# SPDX-License-Identifier: GPL-2.0-or-later
# One target's include check (see veskat_check_includes): every
# #include "..." of its files must name a header of its own folders, of a
# target it links directly, or of no target of ours. Writes "passed" or
# "failed" to RESULT; the build compares it with check_includes.passed, so
# that a failure shows only the lines below.
#   cmake -DSOURCE_DIR=... -DOWNERS=... -DCONFIG=... -DRESULT=... -P check_includes.cmake
cmake_minimum_required(VERSION 3.25)
include(${OWNERS})
include(${CONFIG})
set(result passed)
foreach(file IN LISTS files)
  if(NOT EXISTS ${file})
    continue()
  endif()
  file(READ ${file} text)
  # Only the line breaks may split the text into a list.
  string(REGEX REPLACE "[][;\\]" " " text "${text}")
  string(REPLACE "\n" ";" lines "${text}")
  cmake_path(GET file PARENT_PATH file_folder)
  file(RELATIVE_PATH file_folder ${SOURCE_DIR} ${file_folder})
  file(RELATIVE_PATH shown ${SOURCE_DIR} ${file})
  if(shown MATCHES "^\\.\\./")
    set(shown ${file})
  endif()
  set(number 0)
  foreach(line IN LISTS lines)
    math(EXPR number "${number} + 1")
    if(NOT line MATCHES "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\"")
      continue()
    endif()
    set(header ${CMAKE_MATCH_1})
    if(NOT header MATCHES "/")
      continue() # beside the including file
    endif()
    cmake_path(GET header PARENT_PATH folder)
    if(NOT DEFINED "owner_${folder}")
      continue() # generated, or no target's
    endif()
    set(allowed NO)
    foreach(owner IN LISTS "owner_${folder}")
      if(owner STREQUAL target OR owner IN_LIST links)
        set(allowed YES)
      endif()
    endforeach()
    if(NOT allowed)
      string(REPLACE ";" " or " needed "${owner_${folder}}")
      string(REGEX REPLACE "^ or " "" needed "${needed}")
      message(NOTICE "${shown}:${number}: include check: \"${header}\" is a header of ${needed}, which ${target} does not link")
      set(result failed)
    endif()
  endforeach()
endforeach()
file(WRITE ${RESULT} "${result}\n")
