// veskat-reg export and import of .reg files.
#include "tools/reg/command_support.h"
#include "tools/reg/commands.h"
#include "tools/reg/reg_file_parser.h"
#include "tools/reg/reg_file_writer.h"
#include "tools/reg/registry_tree.h"

#include "platform/registry/registry_store.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace regtool {
namespace {

namespace fs = std::filesystem;

bool hasLineBreak(std::string_view text)
{
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// Writes next to the target and renames, so that a failed export never
// leaves a half-written file in place of a good one.
bool writeFileAtomically(const fs::path& target, const regfile::Bytes& content, std::string& error)
{
    fs::path temp = target;
    temp += ".veskat-reg-tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) {
            error = std::strerror(errno);
            return false;
        }
        out.write(
            reinterpret_cast<const char*>(content.data()), static_cast<std::streamsize>(content.size()));
        out.flush();
        if (!out) {
            error = std::strerror(errno);
            std::error_code ignored;
            fs::remove(temp, ignored);
            return false;
        }
    }
    std::error_code ec;
    fs::rename(temp, target, ec);
    if (ec) {
        error = ec.message();
        fs::remove(temp, ec);
        return false;
    }
    return true;
}

bool readFile(const fs::path& path, regfile::Bytes& content, std::string& error)
{
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        error = "it is a folder";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = std::strerror(errno);
        return false;
    }
    content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        error = "read error";
        return false;
    }
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
