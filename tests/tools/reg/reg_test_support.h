// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Helpers of the veskat-reg tests: a console with scripted answers, and
// direct reads of the store through the registry entry points.
#include "tools/reg/commands.h"
#include "tools/reg/console.h"

#include "core/registry/registry_api.h"

#include <cstdint>
#include <deque>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace regtest {

class ScriptedConsole : public regtool::Console {
public:
    std::ostream& out() override { return m_out; }
    std::ostream& err() override { return m_err; }
    std::optional<bool> confirm(const std::string& question) override
    {
        questions.push_back(question);
        if (answers.empty())
            return std::nullopt; // no terminal
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::string outText() const { return m_out.str(); }
    std::string errText() const { return m_err.str(); }

    std::deque<std::optional<bool>> answers;
    std::vector<std::string> questions;

private:
    std::ostringstream m_out;
    std::ostringstream m_err;
};

struct Run {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs veskat-reg's operations in this process, with the given answers.
inline Run runReg(const std::vector<std::string>& args, std::deque<std::optional<bool>> answers = {})
{
    ScriptedConsole console;
    console.answers = std::move(answers);
    Run run;
    run.exitCode = regtool::runCommandLine(args, console);
    run.out = console.outText();
    run.err = console.errText();
    return run;
}

struct Stored {
    DWORD type = 0;
    std::vector<std::uint8_t> bytes;
    bool operator==(const Stored&) const = default;
};

// Reads a value under HKEY_LOCAL_MACHINE straight from the store.
inline std::optional<Stored> storedValue(const std::string& subKey, const std::string& name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    Stored value;
    DWORD size = 0;
    std::optional<Stored> result;
    if (RegQueryValueExA(key, name.c_str(), nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
        value.bytes.resize(size);
        if (RegQueryValueExA(key, name.c_str(), nullptr, &value.type, value.bytes.data(), &size)
            == ERROR_SUCCESS)
            result = value;
    }
    RegCloseKey(key);
    return result;
}

inline bool keyExists(const std::string& subKey)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

inline Stored dword(std::uint32_t v)
{
    return Stored { REG_DWORD,
        { static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v >> 16),
            static_cast<std::uint8_t>(v >> 24) } };
}

inline Stored text(std::string_view s, DWORD type = REG_SZ)
{
    Stored value { type, std::vector<std::uint8_t>(s.begin(), s.end()) };
    value.bytes.push_back(0);
    return value;
}

// A temporary folder for .reg files, removed with the object.
struct TempDir {
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::filesystem::path path;
};

std::vector<std::uint8_t> readBytes(const std::filesystem::path& path);
void writeBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

// A .reg file as Windows' registry editor saves it: BOM, UTF-16LE, CRLF.
// `lines` are ASCII; "<U+00FC>" stands for one UTF-16 unit (written here unit
// by unit, without the converter under test).
std::vector<std::uint8_t> windowsRegFile(const std::vector<std::string>& lines);

} // namespace regtest
