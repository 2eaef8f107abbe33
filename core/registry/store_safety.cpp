// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/registry/store_safety.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace registry_store {
namespace {

std::string octal(mode_t mode)
{
    char text[8];
    std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
    return text;
}

// `subject` names the thing in the clause: "it", "its folder /x", "its -wal file".
std::optional<std::string> judge(const struct stat& info, const std::string& subject)
{
    if (info.st_uid != ::geteuid() && info.st_uid != 0)
        return subject + " belongs to another user (uid " + std::to_string(info.st_uid) + ")";
    if (info.st_mode & S_IWOTH)
        return "other users may write " + subject + " (mode " + octal(info.st_mode) + ")";
    if (info.st_mode & S_IWGRP)
        return "its group may write " + subject + " (mode " + octal(info.st_mode) + ")";
    return std::nullopt;
}

std::optional<std::string> judgeFolder(const std::filesystem::path& folder)
{
    struct stat info { };
    if (::stat(folder.c_str(), &info) != 0)
        return std::nullopt; // missing: made 0700 by the first write
    return judge(info, (folder == "." ? std::string("its folder") : "its folder " + folder.string()));
}

std::filesystem::path folderOf(const std::filesystem::path& path)
{
    return path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
}

} // namespace

std::optional<std::string> storeSafetyProblem(const std::filesystem::path& path)
{
    if (auto problem = judgeFolder(folderOf(path)))
        return problem;
    struct stat info { };
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    if (auto problem = judge(info, "it"))
        return problem;
    // Through a symbolic link the store lives, and SQLite keeps its -wal and
    // -shm files, in the folder the link points into.
    std::filesystem::path target = path;
    if (const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
        real) {
        target = real.get();
        if (folderOf(target) != folderOf(path))
            if (auto problem = judgeFolder(folderOf(target)))
                return problem;
    }
    for (const char* suffix : { "-wal", "-shm" }) {
        auto file = target;
        file += suffix;
        if (::lstat(file.c_str(), &info) != 0)
            continue;
        if (!S_ISREG(info.st_mode))
            return std::string("its ") + suffix + " file is not a plain file";
        if (auto problem = judge(info, std::string("its ") + suffix + " file"))
            return problem;
    }
    return std::nullopt;
}

} // namespace registry_store
