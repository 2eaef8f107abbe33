// SPDX-License-Identifier: GPL-2.0-or-later
// veskat-rtsp-testcam: a test RTSP camera for the viewer's tests, benchmarks and demo.
#include "tools/rtsp-testcam/camera_server.h"
#include "tools/rtsp-testcam/gst_handles.h"
#include "tools/rtsp-testcam/options.h"
#include "tools/rtsp-testcam/pipeline_launch.h"

#include <glib-unix.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kExitMissingElement = 1;
constexpr int kExitBindFailed = 2;

std::string codecList(const rtsptestcam::Options& options)
{
    std::string list;
    for (std::size_t i = 0; i < options.codecs.size(); ++i)
        list += (i ? "," : "") + std::string(rtsptestcam::codecName(options.codecs[i]));
    return list;
}

gboolean quit(gpointer loop)
{
    g_main_loop_quit(static_cast<GMainLoop*>(loop));
    return G_SOURCE_REMOVE;
}

} // namespace

int main(int argc, char** argv)
{
    const rtsptestcam::ParseResult parsed
        = rtsptestcam::parseOptions(std::vector<std::string>(argv, argv + argc));
    if (!parsed.options) {
        std::fputs(parsed.message.c_str(), parsed.exitCode ? stderr : stdout);
        return parsed.exitCode;
    }
    const rtsptestcam::Options& options = *parsed.options;

    gst_init(nullptr, nullptr);
    for (const std::string& name : rtsptestcam::requiredElements(options)) {
        const rtsptestcam::GObjectPtr<GstElementFactory> factory(gst_element_factory_find(name.c_str()));
        if (!factory) {
            std::fprintf(stderr,
                "veskat-rtsp-testcam: the GStreamer element %s is missing (gstreamer1.0-plugins-base, -good, "
                "-bad "
                "and -ugly hold them)\n",
                name.c_str());
            return kExitMissingElement;
        }
    }

    const rtsptestcam::MainLoopPtr loop(g_main_loop_new(nullptr, FALSE));
    rtsptestcam::CameraServer server(options);
    std::string error;
    if (!server.start(error)) {
        std::fprintf(
            stderr, "veskat-rtsp-testcam: cannot listen on 127.0.0.1:%d: %s\n", options.port, error.c_str());
        return kExitBindFailed;
    }
    g_timeout_add(static_cast<guint>(options.seconds * 1000), quit, loop.get());
    g_unix_signal_add(SIGTERM, quit, loop.get());
    g_unix_signal_add(SIGINT, quit, loop.get());

    std::string notes;
    if (options.shared)
        notes += ", shared";
    if (options.auth != rtsptestcam::AuthScheme::None)
        notes += options.auth == rtsptestcam::AuthScheme::Basic ? ", basic auth" : ", digest auth";
    if (options.refuseFor > 0)
        notes += ", refusing connections at first";
    const std::string mounts
        = options.cameras == 1 ? "cam0" : "cam0 ... cam" + std::to_string(options.cameras - 1);
    std::printf("veskat-rtsp-testcam: listening on rtsp://127.0.0.1:%d/ (%s), %s, %dx%d at %d/s, key frame "
                "every %d pictures%s\n",
        server.port(), mounts.c_str(), codecList(options).c_str(), options.size.width, options.size.height,
        options.rate, options.gop, notes.c_str());
    std::fflush(stdout);

    g_main_loop_run(loop.get());
    std::fprintf(
        stderr, "veskat-rtsp-testcam: exiting, %lld client connections served\n", server.clientsServed());
    return 0;
}
