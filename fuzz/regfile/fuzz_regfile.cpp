// SPDX-License-Identifier: GPL-2.0-or-later
// Feeds arbitrary bytes to the .reg file reader. A file it accepts must come
// back the same after being written and read again, so an import of an export
// never changes what was exported.
#include "tools/reg/reg_file_parser.h"
#include "tools/reg/reg_file_writer.h"

#include <cstdint>
#include <cstdlib>
#include <variant>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const regfile::Bytes input(data, data + size);
    const auto parsed = regfile::parseRegFile(input);
    const auto* file = std::get_if<regfile::RegFile>(&parsed);
    if (!file)
        return 0;
    const auto again = regfile::parseRegFile(regfile::writeRegFile(*file));
    const auto* reread = std::get_if<regfile::RegFile>(&again);
    if (!reread || reread->sections != file->sections || reread->format != file->format)
        std::abort();
    return 0;
}
