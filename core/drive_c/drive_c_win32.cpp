// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/drive_c/drive_c.h"

#include <string>

namespace platform {

std::filesystem::path driveCRoot()
{
    return std::filesystem::path("c:\\");
}

std::filesystem::path mapDriveCPath(std::string_view windowsPath)
{
    return std::filesystem::path(std::string(windowsPath));
}

} // namespace platform
