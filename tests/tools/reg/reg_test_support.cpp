// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/tools/reg/reg_test_support.h"

#include "tests/support/test_env.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace regtest {

TempDir::TempDir()
    : path(veskat_test::makeTempDir("veskat-reg-files"))
{
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

std::vector<std::uint8_t> readBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path.string());
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

std::vector<std::uint8_t> windowsRegFile(const std::vector<std::string>& lines)
{
    std::vector<std::uint8_t> bytes { 0xFF, 0xFE };
    const auto unit = [&](unsigned u) {
        bytes.push_back(static_cast<std::uint8_t>(u & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(u >> 8));
    };
    for (const auto& line : lines) {
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (line.compare(i, 3, "<U+") == 0 && i + 8 <= line.size() && line[i + 7] == '>') {
                unit(static_cast<unsigned>(std::stoul(line.substr(i + 3, 4), nullptr, 16)));
                i += 7;
            } else {
                unit(static_cast<unsigned char>(line[i]));
            }
        }
        unit('\r');
        unit('\n');
    }
    return bytes;
}

} // namespace regtest
