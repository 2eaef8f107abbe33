# SPDX-License-Identifier: GPL-2.0-or-later
# libyuv as the imported target Libyuv::libyuv: through pkg-config where the
# package has a .pc file, otherwise (Debian 12) by its header and library.
pkg_check_modules(LIBYUV QUIET IMPORTED_TARGET libyuv)
if(TARGET PkgConfig::LIBYUV)
  add_library(Libyuv::libyuv INTERFACE IMPORTED)
  target_link_libraries(Libyuv::libyuv INTERFACE PkgConfig::LIBYUV)
else()
  find_path(LIBYUV_INCLUDE_DIR libyuv.h REQUIRED)
  find_library(LIBYUV_LIBRARY NAMES yuv REQUIRED)
  add_library(Libyuv::libyuv UNKNOWN IMPORTED)
  set_target_properties(Libyuv::libyuv PROPERTIES
    IMPORTED_LOCATION ${LIBYUV_LIBRARY}
    INTERFACE_INCLUDE_DIRECTORIES ${LIBYUV_INCLUDE_DIR})
endif()
