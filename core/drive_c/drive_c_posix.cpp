// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/drive_c/drive_c.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <system_error>

namespace platform {

namespace {

std::filesystem::path homeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return std::filesystem::temp_directory_path();
}

bool isDriveCPath(std::string_view path)
{
    return path.size() >= 3 && (path[0] == 'c' || path[0] == 'C') && path[1] == ':'
        && (path[2] == '\\' || path[2] == '/');
}

} // namespace

std::filesystem::path driveCRoot()
{
    if (const char* dir = std::getenv("VESKAT_DRIVE_C"); dir && *dir)
        return dir;
    // XDG: a relative XDG_DATA_HOME is invalid and must be ignored.
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data == '/')
        return std::filesystem::path(data) / "veskat" / "drive_c";
    return homeFolder() / ".local" / "share" / "veskat" / "drive_c";
}

std::filesystem::path mapDriveCPath(std::string_view windowsPath)
{
    if (!isDriveCPath(windowsPath))
        return std::filesystem::path(std::string(windowsPath));

    std::filesystem::path result = driveCRoot();
    std::error_code ec;
    std::filesystem::create_directories(result, ec); // a failure shows when the file is opened

    std::string_view rest = windowsPath.substr(3);
    while (!rest.empty()) {
        const auto cut = rest.find_first_of("\\/");
        const std::string_view element = rest.substr(0, cut);
        if (!element.empty() && element != "." && element != "..")
            result /= std::string(element);
        if (cut == std::string_view::npos)
            break;
        rest.remove_prefix(cut + 1);
    }
    return result;
}

} // namespace platform
