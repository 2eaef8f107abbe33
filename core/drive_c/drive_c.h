// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Paths on drive C: as the program names them ("c:\camera_debug0.txt").
// On Windows they are used as they stand. Elsewhere drive C: is a folder:
// $VESKAT_DRIVE_C when set, else $XDG_DATA_HOME/veskat/drive_c (by default
// ~/.local/share/veskat/drive_c), created on first use.
//
// Thread: any thread (reads the environment, may create the folder).
#include <filesystem>
#include <string_view>

namespace platform {

// The folder that stands for the root of drive C:, not created.
std::filesystem::path driveCRoot();

// Maps "c:\dir\file" (either case, either slash) into driveCRoot(), creating
// the root when it is missing. "." and ".." elements are dropped, so a mapped
// path never leaves the root. Any other path is returned unchanged.
std::filesystem::path mapDriveCPath(std::string_view windowsPath);

} // namespace platform
