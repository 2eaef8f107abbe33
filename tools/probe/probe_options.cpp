#include "tools/probe/probe_options.h"

#include <cmath>
#include <cstdlib>

namespace probe {

namespace {

const char* const kUsage
    = "usage: veskat-probe ADDRESS [--user U] [--password P | --password-stdin] [--seconds N]\n"
      "Plays the camera stream at ADDRESS for N seconds (default 10) as a camera window would,\n"
      "prints every status change, then a summary. Exits 0 when pictures arrived.\n"
      "\n"
      "ADDRESS takes the forms of a camera's \"IPAddress\" setting: a whole stream URL that\n"
      "starts with http:// or https://, or a host (with :port), which plays\n"
      "http://ADDRESS/axis-cgi/mjpg/video.cgi. https cameras must have a certificate the\n"
      "system trusts, or one from the PEM file named by VESKAT_CAMERA_CA_FILE.\n"
      "\n"
      "The password can also come from the environment variable VESKAT_PROBE_PASSWORD, or\n"
      "with --password-stdin from the first line of standard input; both keep it out of the\n"
      "process list, where --password P is visible to every user of the machine.\n";

ParseResult failure(const std::string& message)
{
    return ParseResult { std::nullopt, message + "\n" + kUsage, 2 };
}

} // namespace

std::string passwordLine(std::string line)
{
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    return line;
}

ParseResult parseOptions(const std::vector<std::string>& arguments, const char* passwordVariable)
{
    Options options;
    bool haveUrl = false;
    bool passwordGiven = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& arg = arguments[i];
        if (arg == "--help" || arg == "-h")
            return ParseResult { std::nullopt, kUsage, 0 };
        if (arg == "--password-stdin") {
            options.passwordFromStdin = true;
            continue;
        }
        const bool takesValue = arg == "--user" || arg == "--password" || arg == "--seconds";
        if (takesValue) {
            if (i + 1 >= arguments.size())
                return failure("veskat-probe: " + arg + " needs a value");
            const std::string& value = arguments[++i];
            if (arg == "--user") {
                options.user = value;
            } else if (arg == "--password") {
                options.password = value;
                passwordGiven = true;
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
            return failure("veskat-probe: only one address, please");
        }
    }
    if (!haveUrl)
        return failure("veskat-probe: no address given");
    if (passwordGiven && options.passwordFromStdin)
        return failure("veskat-probe: --password and --password-stdin exclude each other");
    if (!passwordGiven && !options.passwordFromStdin && passwordVariable)
        options.password = passwordVariable;
    return ParseResult { options, {}, 0 };
}

} // namespace probe
