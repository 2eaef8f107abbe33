# SPDX-License-Identifier: GPL-2.0-or-later
# `cpack -G DEB` in the build folder: one package with the four programs and
# the files of packaging/CMakeLists.txt. Version and homepage come from
# project() in the top CMakeLists.txt.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VENDOR "The veskat-cameras authors")
set(CPACK_PACKAGE_CONTACT ${VESKAT_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "live view of up to 14 network cameras at once")
set(CPACK_PACKAGE_DESCRIPTION
  "Veskat Camera Overview shows up to 14 live network cameras (Motion JPEG over
HTTP) at once, each in its own window inside one main window. It watches
every stream, logs each change of status and restarts a stream that fails.

Companion programs: veskat-reg edits the settings like Windows' reg command
and imports .reg files from a Windows PC; veskat-probe checks one camera
from a shell; veskat-testcam serves test camera streams on loopback.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PROJECT_HOMEPAGE_URL})
# Libraries the binaries link come from dpkg-shlibdeps. Qt loads two more at
# run time, which no linker sees: the SVG plugins that draw the camera icon,
# and the window system plugins (xcb, wayland) without which no window opens.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
