# SPDX-License-Identifier: GPL-2.0-or-later
# The release number and application id for C++ code: a generated header in
# an interface target, so that a program gets it by linking veskat_version.
configure_file(${CMAKE_CURRENT_LIST_DIR}/version.h.in ${PROJECT_BINARY_DIR}/generated/veskat_version.h @ONLY)
add_library(veskat_version INTERFACE)
target_include_directories(veskat_version INTERFACE ${PROJECT_BINARY_DIR}/generated)
