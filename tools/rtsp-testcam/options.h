// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The command line of veskat-rtsp-testcam, parsed once at start on the main thread.
#include <optional>
#include <string>
#include <vector>

namespace rtsptestcam {

enum class Codec { H264, H265, Mjpeg };
enum class AuthScheme { None, Basic, Digest };
enum class Transports { Both, TcpOnly, UdpOnly };

struct Size {
    int width = 0;
    int height = 0;
};

struct Options {
    int cameras = 1;
    int port = 0; // 0: the system picks a free one, printed at start
    // Applied in turn to the cameras: camera i gets codecs[i % size].
    std::vector<Codec> codecs { Codec::H264 };
    Size size { 640, 480 };
    int rate = 25;
    int gop = 25; // key frame interval in pictures
    int quality = 85; // Motion JPEG only
    bool inbandParameterSets = false;
    bool shared = false;
    std::string user;
    std::string password;
    AuthScheme auth = AuthScheme::None;
    Transports transports = Transports::Both;
    // Fault switches, in seconds from the start of a stream (or of a client
    // connection for the drop); negative means off.
    double stallAfter = -1;
    double dropAfter = -1;
    double resizeAfter = -1;
    Size resizeTo;
    double udpLossPercent = 0;
    int sessionTimeout = 60;
    // Refuse connections this long at start, with the port already bound.
    double refuseFor = 0;
    // Always bounded, so that a forgotten camera never runs forever.
    double seconds = 3600;
};

struct ParseResult {
    std::optional<Options> options;
    // Set when the program should print this and exit (help, version, or an error).
    std::string message;
    int exitCode = 0;
};

// `arguments` includes the program name first, as argv does.
ParseResult parseOptions(const std::vector<std::string>& arguments);

const char* codecName(Codec codec);

} // namespace rtsptestcam
