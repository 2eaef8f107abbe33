// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/probe/probe_options.h"

#include "veskat_version.h"

#include <cmath>
#include <cstdlib>

namespace probe {

namespace {

const char* const kUsage
    = "Usage: veskat-probe ADDRESS [--user U] [--password P | --password-stdin] [--seconds N]\n"
      "Plays the camera stream at ADDRESS for N seconds (default 10) as a camera window would,\n"
      "prints every status change, then a summary. Exits 0 when pictures arrived.\n"
      "\n"
      "ADDRESS takes the forms of a camera's \"IPAddress\" setting: a whole stream URL that\n"
      "starts with http://, https:// or rtsp://, or a host (with :port), which plays\n"
      "http://ADDRESS/axis-cgi/mjpg/video.cgi. https cameras must have a certificate the\n"
      "system trusts, or one from the PEM file named by VESKAT_CAMERA_CA_FILE. rtsp://\n"
      "cameras may send H.264, H.265 or Motion JPEG.\n"
      "\n"
      "Options:\n"
      "      --user U          user name for the camera\n"
      "      --password P      password for the camera (visible to every user in the\n"
      "                        process list: prefer one of the two ways below)\n"
      "      --password-stdin  read the password from the first line of standard input\n"
      "      --seconds N       how long to play (default 10)\n"
      "  -h, --help            show this help and exit\n"
      "      --version         show the version and exit\n"
      "\n"
      "Environment:\n"
      "  VESKAT_PROBE_PASSWORD  the password, when neither --password nor --password-stdin\n"
      "                         is given\n"
      "  VESKAT_CAMERA_CA_FILE  a PEM file of further authorities trusted for https cameras\n"
      "\n"
      "Exit status: 0 pictures arrived, 1 none did, 2 a wrong command line, 3 the media\n"
      "control could not be created.\n";

// One line, so that a script's log shows what was wrong and where to look.
ParseResult failure(const std::string& message)
{
    return ParseResult { std::nullopt, "veskat-probe: " + message + " (see veskat-probe --help)\n", 2 };
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
        if (arg == "--version")
            return ParseResult { std::nullopt, std::string("veskat-probe ") + buildinfo::kVersion + "\n", 0 };
        if (arg == "--password-stdin") {
            options.passwordFromStdin = true;
            continue;
        }
        const bool takesValue = arg == "--user" || arg == "--password" || arg == "--seconds";
        if (takesValue) {
            if (i + 1 >= arguments.size())
                return failure(arg + " needs a value");
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
                    return failure("--seconds needs a number of seconds, not \"" + value + "\"");
                options.seconds = seconds;
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            // A camera URL never starts with a dash.
            return failure("unknown option " + arg);
        } else if (!haveUrl) {
            options.url = arg;
            haveUrl = true;
        } else {
            return failure("only one address, please");
        }
    }
    if (!haveUrl)
        return failure("no address given");
    if (passwordGiven && options.passwordFromStdin)
        return failure("--password and --password-stdin exclude each other");
    if (!passwordGiven && !options.passwordFromStdin && passwordVariable)
        options.password = passwordVariable;
    return ParseResult { options, {}, 0 };
}

} // namespace probe
