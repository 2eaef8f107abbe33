# SPDX-License-Identifier: GPL-2.0-or-later
# Warnings for our own targets; -Werror in CI (VESKAT_WERROR).
function(veskat_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra)
    if(VESKAT_WERROR)
      target_compile_options(${target} PRIVATE -Werror)
    endif()
  endif()
endfunction()

# Every target of ours includes from the one source root
# ("core/settings/setting_value.h"); which of those headers it may include is
# the include check's business (veskat_check_includes).
function(veskat_layer target)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    set(scope PRIVATE)
  elseif(type STREQUAL "INTERFACE_LIBRARY")
    set(scope INTERFACE)
  else()
    set(scope PUBLIC)
  endif()
  target_include_directories(${target} ${scope} ${PROJECT_SOURCE_DIR})
endfunction()

# A static library for one layer, made of the folder it is declared in: its
# sources and the layers below it that it links.
#   veskat_add_layer(veskat_settings SOURCES a.cpp LINKS veskat_registry)
function(veskat_add_layer name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINKS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  set_property(TARGET ${name} PROPERTY VESKAT_WHOLE_FOLDER ON)
  veskat_layer(${name})
  target_link_libraries(${name} PUBLIC ${ARG_LINKS})
  veskat_warnings(${name})
endfunction()

# Writes `content` to `file` unless it already holds it, so that what
# depends on the file is not rebuilt by every configure.
function(veskat_write_if_changed file content)
  if(EXISTS ${file})
    file(READ ${file} old)
    if(old STREQUAL content)
      return()
    endif()
  endif()
  file(WRITE ${file} "${content}")
endfunction()

# Every target of ours defined in `dir` and the folders below it.
function(veskat_collect_targets dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub IN LISTS subdirs)
    cmake_path(IS_PREFIX PROJECT_SOURCE_DIR "${sub}" NORMALIZE ours)
    if(ours)
      veskat_collect_targets(${sub} more)
      list(APPEND targets ${more})
    endif()
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

# The include check, in the way of Chromium's `gn check`: a target may include
# the headers of its own folders (where its sources are) and those of the
# targets it links directly; a header of any other target of ours fails the
# build before the target compiles, with one line naming the file, the line,
# the header and the missing link. Headers in no target's folder (generated
# ones, the system's) are not checked. Called once, after every target exists.
function(veskat_check_includes)
  veskat_collect_targets(${PROJECT_SOURCE_DIR} all)
  set(checked)
  set(owners "")
  foreach(target IN LISTS all)
    get_target_property(type ${target} TYPE)
    if(NOT type MATCHES "^(STATIC_LIBRARY|OBJECT_LIBRARY|EXECUTABLE)$")
      continue()
    endif()
    get_target_property(dir ${target} SOURCE_DIR)
    get_target_property(sources ${target} SOURCES)
    set(folders)
    set(files)
    foreach(source IN LISTS sources)
      if(NOT source MATCHES "\\.(c|cc|cpp|h|hpp)$")
        continue()
      endif()
      cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${dir} NORMALIZE)
      list(APPEND files ${source})
      cmake_path(IS_PREFIX PROJECT_SOURCE_DIR "${source}" NORMALIZE in_tree)
      if(in_tree)
        cmake_path(GET source PARENT_PATH folder)
        list(APPEND folders ${folder})
      endif()
    endforeach()
    list(APPEND folders ${dir})
    list(REMOVE_DUPLICATES folders)
    foreach(folder IN LISTS folders)
      file(RELATIVE_PATH relative ${PROJECT_SOURCE_DIR} ${folder})
      string(APPEND owners "set(\"owner_${relative}\" \"\${owner_${relative}};${target}\")\n")
    endforeach()
    set_property(TARGET ${target} PROPERTY VESKAT_CHECKED_FILES ${files})
    list(APPEND checked ${target})
  endforeach()
  # A layer's folder is the layer's: its headers are checked even where its
  # sources do not list them. Elsewhere (programs, tests, a folder that holds
  # a library and its program) only the listed files count.
  foreach(target IN LISTS checked)
    get_target_property(files ${target} VESKAT_CHECKED_FILES)
    if(NOT files)
      set(files)
    endif()
    get_target_property(whole_folder ${target} VESKAT_WHOLE_FOLDER)
    if(whole_folder)
      get_target_property(dir ${target} SOURCE_DIR)
      file(GLOB headers CONFIGURE_DEPENDS ${dir}/*.h)
      list(APPEND files ${headers})
    endif()
    list(REMOVE_DUPLICATES files)
    set_property(TARGET ${target} PROPERTY VESKAT_CHECKED_FILES ${files})
  endforeach()
  set(map ${PROJECT_BINARY_DIR}/include-check/owners.cmake)
  veskat_write_if_changed(${map} "${owners}")
  foreach(target IN LISTS checked)
    get_target_property(links ${target} LINK_LIBRARIES)
    get_target_property(files ${target} VESKAT_CHECKED_FILES)
    set(config ${PROJECT_BINARY_DIR}/include-check/${target}.cmake)
    veskat_write_if_changed(${config}
      "set(target \"${target}\")\nset(links \"${links}\")\nset(files \"${files}\")\n")
    set(stamp ${PROJECT_BINARY_DIR}/include-check/${target}.result)
    add_custom_command(OUTPUT ${stamp}
      COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DOWNERS=${map} -DCONFIG=${config}
              -DRESULT=${stamp} -P ${PROJECT_SOURCE_DIR}/cmake/check_includes.cmake
      COMMAND ${CMAKE_COMMAND} -E compare_files ${stamp} ${PROJECT_SOURCE_DIR}/cmake/check_includes.passed
      DEPENDS ${files} ${config} ${map} ${PROJECT_SOURCE_DIR}/cmake/check_includes.cmake
      VERBATIM)
    add_custom_target(${target}_includes DEPENDS ${stamp})
    add_dependencies(${target} ${target}_includes)
  endforeach()
endfunction()

# The UTF-8 code page manifest for a Windows program; nothing elsewhere.
function(veskat_utf8_code_page target)
  if(VESKAT_UTF8_MANIFEST)
    target_sources(${target} PRIVATE ${VESKAT_UTF8_MANIFEST})
  endif()
endfunction()

# Adds every direct subfolder of `parent` that has a CMakeLists.txt, so that
# a new tool, test folder or benchmark needs no edit of a shared file.
function(veskat_add_subdirectories parent)
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${PROJECT_SOURCE_DIR}/${parent}
       ${PROJECT_SOURCE_DIR}/${parent}/*)
  list(SORT children)
  foreach(child IN LISTS children)
    set(dir ${PROJECT_SOURCE_DIR}/${parent}/${child})
    if(NOT IS_DIRECTORY ${dir} OR "${parent}/${child}" STREQUAL "tests/support")
      continue()
    endif()
    if(EXISTS ${dir}/CMakeLists.txt)
      add_subdirectory(${dir} ${PROJECT_BINARY_DIR}/${parent}/${child})
    else()
      veskat_add_subdirectories(${parent}/${child}) # tests/core/settings and the like
    endif()
  endforeach()
endfunction()

# One test executable per layer. GUI tests run on Qt's offscreen platform;
# every test gets its own registry store and drive C: (see tests/support).
function(veskat_add_test name)
  cmake_parse_arguments(ARG "GUI" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  veskat_utf8_code_page(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock)
  if(ARG_GUI)
    target_link_libraries(${name} PRIVATE veskat_test_support_gui)
  else()
    target_link_libraries(${name} PRIVATE veskat_test_support)
  endif()
  veskat_warnings(${name})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  # One variable only: gtest_discover_tests (CMake 3.25) splits a list value
  # into separate properties. The GUI test main() defaults to offscreen itself.
  # Plain indices, not printed parameter values: a QStringList prints as a byte
  # dump that makes a test name hundreds of characters long.
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    NO_PRETTY_VALUES
    PROPERTIES TIMEOUT ${ARG_TIMEOUT}
               LABELS ${name}
               ENVIRONMENT "VESKAT_BUILD_DIR=${PROJECT_BINARY_DIR}")
endfunction()
