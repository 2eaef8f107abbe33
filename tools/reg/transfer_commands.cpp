// SPDX-License-Identifier: GPL-2.0-or-later
// veskat-reg export and import of .reg files.
#include "tools/reg/command_support.h"
#include "tools/reg/commands.h"
#include "tools/reg/reg_file_parser.h"
#include "tools/reg/reg_file_writer.h"
#include "tools/reg/registry_tree.h"

#include "core/registry/registry_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace regtool {
namespace {

namespace fs = std::filesystem;

bool hasLineBreak(std::string_view text)
{
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// Writes all of `bytes`, going on after a short write or a signal.
bool writeAll(int fd, const regfile::Bytes& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += static_cast<std::size_t>(written);
    }
    return true;
}

// Writes a new file next to the target and renames it over the target, so
// that a failed export never leaves a half-written file in place of a good
// one. The new file has a name nobody can guess and is created, never
// opened through a link someone planted, and is for its owner only (0600):
// an export holds the cameras' passwords.
bool writeFileAtomically(const fs::path& target, const regfile::Bytes& content, std::string& error)
{
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::string name = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    const fs::path temp(name);
    // mkostemp gives 0600 less the umask: make it exactly 0600.
    bool written = ::fchmod(fd, 0600) == 0 && writeAll(fd, content) && ::fsync(fd) == 0;
    int failure = errno;
    if (::close(fd) != 0 && written) {
        written = false;
        failure = errno;
    }
    std::error_code ec;
    if (written)
        fs::rename(temp, target, ec);
    if (!written || ec) {
        error = written ? ec.message() : std::strerror(failure);
        fs::remove(temp, ec);
        return false;
    }
    return true;
}

// Takes regular files only (a device or a pipe would be read without end),
// and of at most kMaxRegFileBytes.
bool readFile(const fs::path& path, regfile::Bytes& content, std::string& error)
{
    // Non-blocking, so that opening a pipe that has no writer does not wait for one.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer { fd };
    struct stat info { };
    if (::fstat(fd, &info) != 0) {
        error = std::strerror(errno);
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        error = "it is a folder";
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        error = "it is not a regular file";
        return false;
    }
    const auto tooLarge = [&] {
        error = "it is larger than " + std::to_string(regfile::kMaxRegFileBytes / (1024 * 1024))
            + " MiB, far more than any settings export";
        return false;
    };
    if (static_cast<std::uintmax_t>(info.st_size) > regfile::kMaxRegFileBytes)
        return tooLarge();
    // The file may grow while it is read: one byte over the limit is enough to know.
    content.resize(static_cast<std::size_t>(info.st_size) + 1);
    std::size_t done = 0;
    for (;;) {
        if (done == content.size()) {
            if (done > regfile::kMaxRegFileBytes)
                return tooLarge();
            content.resize(std::min<std::size_t>(content.size() * 2, regfile::kMaxRegFileBytes + 1));
        }
        const ssize_t got = ::read(fd, content.data() + done, content.size() - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            error = std::strerror(errno);
            return false;
        }
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    content.resize(done);
    return true;
}

} // namespace

int runExport(const Command& command, Console& console)
{
    regfile::RegFile file;
    LONG status = ERROR_SUCCESS;
    // One read transaction: a consistent picture even while the viewer writes.
    registry_store::runInTransaction([&] {
        regfile::KeyPath stored;
        status = storedSpelling(command.key, stored);
        if (status == ERROR_SUCCESS)
            status = readTree(stored, file.sections);
        return true;
    });
    if (status != ERROR_SUCCESS)
        return fail(console, errorText(status));
    for (const auto& section : file.sections) {
        if (hasLineBreak(section.key.subKey))
            return fail(console,
                "The key " + section.key.fullName()
                    + " has a line break in its name, which a .reg file cannot hold.");
        for (const auto& value : section.values) {
            if (hasLineBreak(value.name))
                return fail(console,
                    "A value of " + section.key.fullName()
                        + " has a line break in its name, which a .reg file cannot hold.");
        }
    }

    const fs::path target(command.file);
    std::error_code ec;
    if (fs::exists(target, ec)) {
        const auto consent = askConsent(
            console, command.force, "File " + command.file + " already exists. Overwrite (Yes/No)? ");
        if (consent != Consent::Given)
            return consentNotGiven(
                console, consent, "The file " + command.file + " already exists.", "overwrite it", "/y");
    }
    std::string error;
    if (!writeFileAtomically(target, regfile::writeRegFile(file), error))
        return fail(console, "Cannot write " + command.file + ": " + error + ".");
    return succeed(console);
}

int runImport(const Command& command, Console& console)
{
    regfile::Bytes content;
    std::string readError;
    if (!readFile(command.file, content, readError))
        return fail(console, "Cannot read " + command.file + ": " + readError + ".");

    auto parsed = regfile::parseRegFile(content);
    if (const auto* error = std::get_if<regfile::ParseError>(&parsed)) {
        const std::string where
            = error->line > 0 ? command.file + ", line " + std::to_string(error->line) : command.file;
        return fail(console, where + ": " + error->reason + ". Nothing was imported.");
    }
    const auto& file = std::get<regfile::RegFile>(parsed);

    LONG status = ERROR_SUCCESS;
    int failedLine = 0;
    const bool committed = registry_store::runInTransaction([&] {
        for (const auto& section : file.sections) {
            status = applySection(section, failedLine);
            if (status != ERROR_SUCCESS)
                return false;
        }
        return true;
    });
    if (status != ERROR_SUCCESS)
        return fail(console,
            command.file + ", line " + std::to_string(failedLine) + ": " + errorText(status)
                + " Nothing was imported.");
    if (!committed)
        return fail(console,
            "The registry store " + registry_store::storePath().string()
                + " could not be opened or written. Nothing was imported.");
    return succeed(console);
}

} // namespace regtool
