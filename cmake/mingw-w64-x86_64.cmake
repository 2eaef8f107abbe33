# SPDX-License-Identifier: GPL-2.0-or-later
# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (posix threads).
# Used by scripts/check-windows for the Qt-free settings layer and its tests.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Windows 10 API level (RegDeleteTreeA and friends are declared from Vista on).
set(CMAKE_C_FLAGS_INIT "-D_WIN32_WINNT=0x0A00 -DWINVER=0x0A00")
# This GCC 12 inlines far enough into libstdc++ to report copies that cannot
# overlap and members that cannot be uninitialised (GCC bug 105329 and its
# kin, in `"x" + std::string` and aggregate temporaries); warnings are errors
# in CI, and the Linux build keeps both warnings on.
set(CMAKE_CXX_FLAGS_INIT "-D_WIN32_WINNT=0x0A00 -DWINVER=0x0A00 -Wno-restrict -Wno-maybe-uninitialized")
# Self-contained executables: no libgcc, libstdc++ or winpthread DLL to find.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Run cross-built programs (test discovery, try_run) under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
