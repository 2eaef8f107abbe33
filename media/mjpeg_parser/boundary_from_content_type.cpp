// SPDX-License-Identifier: GPL-2.0-or-later
#include "media/mjpeg_parser/multipart_parser.h"

#include "core/util/ascii_text.h"

namespace media {
namespace {

using util::equalsAsciiLower;
using util::trimAsciiSpace;

// Reads one parameter value at the front of `rest` (quoted or plain) and
// removes it, together with the ';' that ends it.
std::string readValue(std::string_view& rest)
{
    rest = trimAsciiSpace(rest);
    std::string value;
    if (!rest.empty() && rest.front() == '"') {
        std::size_t i = 1;
        for (; i < rest.size() && rest[i] != '"'; ++i) {
            if (rest[i] == '\\' && i + 1 < rest.size())
                ++i;
            value.push_back(rest[i]);
        }
        rest.remove_prefix(i < rest.size() ? i + 1 : i);
        const std::size_t semi = rest.find(';');
        rest.remove_prefix(semi == std::string_view::npos ? rest.size() : semi + 1);
        return value;
    }
    const std::size_t semi = rest.find(';');
    value = std::string(trimAsciiSpace(rest.substr(0, semi)));
    rest.remove_prefix(semi == std::string_view::npos ? rest.size() : semi + 1);
    return value;
}

} // namespace

std::optional<std::string> boundaryFromContentType(std::string_view contentType)
{
    std::string_view rest = trimAsciiSpace(contentType);
    const std::size_t semi = rest.find(';');
    const std::string_view type = trimAsciiSpace(rest.substr(0, semi));
    if (type.size() <= 10 || !equalsAsciiLower(type.substr(0, 10), "multipart/"))
        return std::nullopt;
    if (semi == std::string_view::npos)
        return std::nullopt;
    rest.remove_prefix(semi + 1);

    while (!trimAsciiSpace(rest).empty()) {
        const std::size_t eq = rest.find('=');
        const std::size_t nextSemi = rest.find(';');
        if (eq == std::string_view::npos)
            break;
        if (nextSemi < eq) { // a parameter without '=': skip it
            rest.remove_prefix(nextSemi + 1);
            continue;
        }
        const std::string_view name = trimAsciiSpace(rest.substr(0, eq));
        rest.remove_prefix(eq + 1);
        std::string value = readValue(rest);
        if (!equalsAsciiLower(name, "boundary"))
            continue;
        // Some cameras declare the delimiter ("--frame") instead of the boundary.
        std::size_t dashes = 0;
        while (dashes < value.size() && value[dashes] == '-')
            ++dashes;
        value.erase(0, dashes);
        if (value.empty())
            return std::nullopt;
        return value;
    }
    return std::nullopt;
}

} // namespace media
