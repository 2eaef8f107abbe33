#include "tools/probe/probe_options.h"

#include <cmath>
#include <cstdlib>

namespace probe {

namespace {

const char* const kUsage
    = "usage: veskat-probe URL [--user U --password P] [--seconds N]\n"
      "Plays the camera stream at URL for N seconds (default 10) as a camera window would,\n"
      "prints every status change, then a summary. Exits 0 when pictures arrived.\n";

ParseResult failure(const std::string& message)
{
    return ParseResult { std::nullopt, message + "\n" + kUsage, 2 };
}

} // namespace

ParseResult parseOptions(const std::vector<std::string>& arguments)
{
    Options options;
    bool haveUrl = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& arg = arguments[i];
        if (arg == "--help" || arg == "-h")
            return ParseResult { std::nullopt, kUsage, 0 };
        const bool takesValue = arg == "--user" || arg == "--password" || arg == "--seconds";
        if (takesValue) {
            if (i + 1 >= arguments.size())
                return failure("veskat-probe: " + arg + " needs a value");
            const std::string& value = arguments[++i];
            if (arg == "--user") {
                options.user = value;
            } else if (arg == "--password") {
                options.password = value;
            } else {
                char* end = nullptr;
                const double seconds = std::strtod(value.c_str(), &end);
                if (value.empty() || *end != '\0' || !std::isfinite(seconds) || seconds <= 0
                    || seconds > 86400)
                    return failure(
                        "veskat-probe: --seconds needs a number of seconds, not \"" + value + "\"");
                options.seconds = seconds;
            }
        } else if (arg.rfind("--", 0) == 0) {
            return failure("veskat-probe: unknown option " + arg);
        } else if (!haveUrl) {
            options.url = arg;
            haveUrl = true;
        } else {
            return failure("veskat-probe: only one URL, please");
        }
    }
    if (!haveUrl)
        return failure("veskat-probe: no URL given");
    return ParseResult { options, {}, 0 };
}

} // namespace probe
