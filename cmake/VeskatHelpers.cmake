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
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES TIMEOUT ${ARG_TIMEOUT}
               LABELS ${name}
               ENVIRONMENT "VESKAT_BUILD_DIR=${PROJECT_BINARY_DIR}")
endfunction()
