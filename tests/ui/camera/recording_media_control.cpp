// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/ui/camera/recording_media_control.h"

#include <sstream>

namespace veskat_test {

std::string describe(const MediaCall& call)
{
    std::ostringstream out;
    switch (call.kind) {
    case MediaCall::Kind::Put:
        out << "put ";
        break;
    case MediaCall::Kind::Get:
        out << "get ";
        break;
    case MediaCall::Kind::Invoke:
        out << "invoke ";
        break;
    }
    out << call.dispId;
    std::visit(
        [&out](const auto& v) {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, bool>)
                out << " bool:" << (v ? "true" : "false");
            else if constexpr (std::is_same_v<T, std::int32_t>)
                out << " int:" << v;
            else if constexpr (std::is_same_v<T, std::string>)
                out << " text:\"" << v << '"';
        },
        call.value);
    return out.str();
}

} // namespace veskat_test
