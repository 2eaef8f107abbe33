// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/rtsp-testcam/options.h"

#include "veskat_version.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <sstream>

namespace rtsptestcam {

namespace {

// A value out of range or a missing argument: 1; an option nobody knows: 2,
// the same codes as veskat-testcam, so scripts treat both alike.
constexpr int kExitBadValue = 1;
constexpr int kExitUnknownOption = 2;

const char kHelp[] = R"(Usage: veskat-rtsp-testcam [options]
A test RTSP camera: serves generated live video (H.264, H.265 or Motion JPEG
over RTP) at rtsp://127.0.0.1:PORT/cam0 ... /cam{N-1}. Prints one line
"veskat-rtsp-testcam: listening on rtsp://127.0.0.1:PORT/ ..." once it listens.
Test tooling for the viewer's tests, benchmarks and demo; not installed.

Exit status: 0 after --seconds or on SIGTERM/SIGINT, 1 for a wrong option
value or a missing GStreamer element, 2 for an unknown option or a port that
cannot be bound.

Options:
  -h, --help                 Show this help.
  --version                  Show the version.
  --port P                   Port on 127.0.0.1 (default 0: a free one, printed).
  --cameras N                Number of cameras, mounts /cam0 ... (default 1).
  --codec LIST               h264, h265 or mjpeg, or a comma list applied in turn
                             to the cameras (default h264).
  --size WxH                 Picture size, even (default 640x480); for mjpeg in
                             steps of 8 up to 2040x2040.
  --rate N                   Pictures per second (default 25).
  --gop N                    Key frame interval in pictures (default: one second);
                             a long one makes a client wait for its first picture.
  --quality Q                Motion JPEG quality 1..100 (default 85).
  --inband-parameter-sets    Repeat the parameter sets (VPS/SPS/PPS) before every
                             key frame, besides the SDP's sprop-* attributes.
  --shared                   One pipeline per mount, shared by all its clients: any
                             number of viewers of one mount cost one encoder.
  --user U                   User name required of clients.
  --password P               Password required of clients.
  --auth basic|digest        Scheme (digest: MD5); default basic with --user.
  --seconds S                Exit after S seconds (default 3600).

Faults (seconds count from the start of a client's stream, or of the shared
stream with --shared):
  --transports tcp|udp       Offer only this RTP transport; a SETUP for the other
                             is answered 461 Unsupported Transport.
  --stall-after S            Stop sending pictures after S seconds; the session,
                             RTCP reports and replies to keep-alives go on.
  --drop-after S             Close every client connection S seconds after it was
                             opened.
  --resize-after S           Change the picture size after S seconds (to
                             --resize-to); the new parameter sets go in-band.
  --resize-to WxH            The size after --resize-after (default: about half).
  --udp-loss PERCENT         Drop that share of the RTP packets sent over UDP.
  --session-timeout S        Session timeout announced in the Session header
                             (default 60); a session without a request for S
                             seconds is removed.
  --refuse-for S             Refuse connections for the first S seconds; the port
                             is bound (and printed) from the start all the same.
)";

ParseResult failure(const std::string& message, int exitCode = kExitBadValue)
{
    ParseResult r;
    r.message = "veskat-rtsp-testcam: " + message + " (see veskat-rtsp-testcam --help)\n";
    r.exitCode = exitCode;
    return r;
}

bool toInt(const std::string& text, int min, int max, int& out)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < min || v > max)
        return false;
    out = static_cast<int>(v);
    return true;
}

bool toDouble(const std::string& text, double min, double max, double& out)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(text.c_str(), &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(v) || v < min || v > max)
        return false;
    out = v;
    return true;
}

bool toSize(const std::string& text, Size& out)
{
    const std::size_t x = text.find_first_of("xX");
    if (x == std::string::npos)
        return false;
    // Encoders want even sizes (4:2:0); 16 keeps every codec's minimum.
    Size s;
    if (!toInt(text.substr(0, x), 16, 8192, s.width) || !toInt(text.substr(x + 1), 16, 8192, s.height)
        || s.width % 2 != 0 || s.height % 2 != 0)
        return false;
    out = s;
    return true;
}

bool toCodecs(const std::string& text, std::vector<Codec>& out)
{
    std::vector<Codec> codecs;
    std::stringstream list(text);
    std::string name;
    while (std::getline(list, name, ',')) {
        if (name == "h264")
            codecs.push_back(Codec::H264);
        else if (name == "h265")
            codecs.push_back(Codec::H265);
        else if (name == "mjpeg")
            codecs.push_back(Codec::Mjpeg);
        else
            return false;
    }
    if (codecs.empty() || text.back() == ',')
        return false;
    out = codecs;
    return true;
}

// RFC 2435 carries the size in units of 8 pixels, up to 2040; any other size
// would reach the client rounded up.
bool fitsMjpeg(const Size& size)
{
    return size.width <= 2040 && size.height <= 2040 && size.width % 8 == 0 && size.height % 8 == 0;
}

} // namespace

const char* codecName(Codec codec)
{
    switch (codec) {
    case Codec::H264:
        return "h264";
    case Codec::H265:
        return "h265";
    case Codec::Mjpeg:
        break;
    }
    return "mjpeg";
}

ParseResult parseOptions(const std::vector<std::string>& arguments)
{
    Options o;
    bool gopSet = false;
    bool resizeToSet = false;
    bool authSet = false;
    using Handler = std::function<std::optional<std::string>(const std::string&)>;
    struct ValueOption {
        const char* name;
        Handler apply; // returns an error message, or nothing when the value is good
    };
    const auto need = [](bool ok, const char* message) -> std::optional<std::string> {
        if (ok)
            return std::nullopt;
        return std::string(message);
    };
    const ValueOption valueOptions[] = {
        { "--port",
            [&](const std::string& v) {
                return need(toInt(v, 0, 65535, o.port), "--port needs 0 to 65535");
            } },
        { "--cameras",
            [&](const std::string& v) {
                return need(toInt(v, 1, 100, o.cameras), "--cameras needs a number from 1 to 100");
            } },
        { "--codec",
            [&](const std::string& v) {
                return need(toCodecs(v, o.codecs), "--codec needs h264, h265, mjpeg or a comma list of them");
            } },
        { "--size",
            [&](const std::string& v) {
                return need(toSize(v, o.size), "--size needs WxH, even, 16 to 8192");
            } },
        { "--rate",
            [&](const std::string& v) { return need(toInt(v, 1, 120, o.rate), "--rate needs 1 to 120"); } },
        { "--gop",
            [&](const std::string& v) {
                gopSet = true;
                return need(toInt(v, 1, 100000, o.gop), "--gop needs a number of pictures from 1");
            } },
        { "--quality",
            [&](const std::string& v) {
                return need(toInt(v, 1, 100, o.quality), "--quality needs 1 to 100");
            } },
        { "--user",
            [&](const std::string& v) {
                o.user = v;
                return std::optional<std::string>();
            } },
        { "--password",
            [&](const std::string& v) {
                o.password = v;
                return std::optional<std::string>();
            } },
        { "--auth",
            [&](const std::string& v) {
                authSet = true;
                o.auth = v == "digest" ? AuthScheme::Digest : AuthScheme::Basic;
                return need(v == "basic" || v == "digest", "--auth needs basic or digest");
            } },
        { "--seconds",
            [&](const std::string& v) {
                return need(toDouble(v, 0.1, 1e7, o.seconds), "--seconds needs seconds from 0.1");
            } },
        { "--transports",
            [&](const std::string& v) {
                o.transports = v == "tcp" ? Transports::TcpOnly : Transports::UdpOnly;
                return need(v == "tcp" || v == "udp", "--transports needs tcp or udp");
            } },
        { "--stall-after",
            [&](const std::string& v) {
                return need(toDouble(v, 0, 1e7, o.stallAfter), "--stall-after needs seconds");
            } },
        { "--drop-after",
            [&](const std::string& v) {
                return need(toDouble(v, 0, 1e7, o.dropAfter), "--drop-after needs seconds");
            } },
        { "--resize-after",
            [&](const std::string& v) {
                return need(toDouble(v, 0, 1e7, o.resizeAfter), "--resize-after needs seconds");
            } },
        { "--resize-to",
            [&](const std::string& v) {
                resizeToSet = true;
                return need(toSize(v, o.resizeTo), "--resize-to needs WxH, even, 16 to 8192");
            } },
        { "--udp-loss",
            [&](const std::string& v) {
                return need(
                    toDouble(v, 0, 100, o.udpLossPercent), "--udp-loss needs a percentage from 0 to 100");
            } },
        { "--refuse-for",
            [&](const std::string& v) {
                return need(toDouble(v, 0, 1e7, o.refuseFor), "--refuse-for needs seconds");
            } },
        { "--session-timeout",
            [&](const std::string& v) {
                return need(toInt(v, 1, 86400, o.sessionTimeout), "--session-timeout needs seconds from 1");
            } },
    };

    for (std::size_t i = 1; i < arguments.size(); ++i) {
        std::string arg = arguments[i];
        if (arg == "-h" || arg == "--help") {
            ParseResult r;
            r.message = kHelp;
            return r;
        }
        if (arg == "--version") {
            ParseResult r;
            r.message = std::string("veskat-rtsp-testcam ") + buildinfo::kVersion + "\n";
            return r;
        }
        if (arg == "--inband-parameter-sets") {
            o.inbandParameterSets = true;
            continue;
        }
        if (arg == "--shared") {
            o.shared = true;
            continue;
        }
        std::optional<std::string> value;
        if (const std::size_t eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg.resize(eq);
        }
        const ValueOption* option = nullptr;
        for (const ValueOption& candidate : valueOptions) {
            if (arg == candidate.name)
                option = &candidate;
        }
        if (!option) {
            if (arg.rfind("-", 0) == 0)
                return failure("unknown option " + arg, kExitUnknownOption);
            return failure("unexpected argument '" + arg + "'");
        }
        if (!value) {
            if (i + 1 >= arguments.size())
                return failure(arg + " needs a value");
            value = arguments[++i];
        }
        if (const std::optional<std::string> error = option->apply(*value))
            return failure(*error);
    }

    if (!gopSet)
        o.gop = o.rate;
    if (!authSet && !o.user.empty())
        o.auth = AuthScheme::Basic;
    if (o.auth != AuthScheme::None && o.user.empty())
        return failure("--auth needs --user");
    if (o.resizeAfter >= 0 && !resizeToSet)
        o.resizeTo = { std::max(16, o.size.width / 16 * 8), std::max(16, o.size.height / 16 * 8) };
    if (resizeToSet && o.resizeAfter < 0)
        return failure("--resize-to needs --resize-after");
    for (const Codec codec : o.codecs) {
        if (codec == Codec::Mjpeg && (!fitsMjpeg(o.size) || (o.resizeAfter >= 0 && !fitsMjpeg(o.resizeTo))))
            return failure("mjpeg over RTP carries sizes in steps of 8 up to 2040x2040");
    }

    ParseResult r;
    r.options = o;
    return r;
}

} // namespace rtsptestcam
