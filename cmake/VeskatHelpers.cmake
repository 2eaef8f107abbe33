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

# Gives `target` an include root of its own in the build tree, holding a link
# to each of its `folders` under the same relative path, so that its sources
# and whatever links it include "settings/setting_value.h" and the like. The
# source tree itself is on no include path: a layer sees its own headers and
# those of the layers it links, and an upward include does not compile.
function(veskat_layer target)
  set(root ${PROJECT_BINARY_DIR}/layers/${target})
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    set(scope PRIVATE)
  elseif(type STREQUAL "INTERFACE_LIBRARY")
    set(scope INTERFACE)
  else()
    set(scope PUBLIC)
  endif()
  foreach(folder IN LISTS ARGN)
    set(link ${root}/${folder})
    if(IS_SYMLINK ${link})
      file(READ_SYMLINK ${link} current)
      if(NOT current STREQUAL "${PROJECT_SOURCE_DIR}/${folder}")
        file(REMOVE ${link}) # a build folder reused for another checkout
      endif()
    endif()
    if(NOT IS_SYMLINK ${link})
      get_filename_component(parent ${link} DIRECTORY)
      file(MAKE_DIRECTORY ${parent})
      file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${link} SYMBOLIC RESULT failed)
      if(failed)
        # Windows without the right to make links: the layers build, but
        # nothing stops an upward include there.
        message(WARNING "${target}: no link for ${folder} (${failed}); its layer is not enforced")
        target_include_directories(${target} ${scope} ${PROJECT_SOURCE_DIR})
        return()
      endif()
    endif()
  endforeach()
  target_include_directories(${target} ${scope} ${root})
endfunction()

# A static library for one layer: its sources, its include root (see
# veskat_layer) and the layers below it that it links.
#   veskat_add_layer(veskat_settings FOLDERS settings SOURCES a.cpp LINKS veskat_registry)
function(veskat_add_layer name)
  cmake_parse_arguments(ARG "" "" "FOLDERS;SOURCES;LINKS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  veskat_layer(${name} ${ARG_FOLDERS})
  target_link_libraries(${name} PUBLIC ${ARG_LINKS})
  veskat_warnings(${name})
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
    if(IS_DIRECTORY ${dir} AND EXISTS ${dir}/CMakeLists.txt
       AND NOT "${parent}/${child}" STREQUAL "tests/support")
      add_subdirectory(${dir} ${PROJECT_BINARY_DIR}/${parent}/${child})
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
