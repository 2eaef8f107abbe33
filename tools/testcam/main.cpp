// SPDX-License-Identifier: GPL-2.0-or-later
// veskat-testcam: a test camera for the viewer's demo, tests and benchmarks.
#include "tools/testcam/camera_server.h"
#include "tools/testcam/frame_source.h"
#include "tools/testcam/http_auth.h"
#include "tools/testcam/options.h"
#include "tools/testcam/signal_watch.h"

#include <QCoreApplication>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kExitBindFailed = 2;

const char* authName(testcam::AuthScheme scheme)
{
    switch (scheme) {
    case testcam::AuthScheme::Basic:
        return "basic";
    case testcam::AuthScheme::Digest:
        return "digest";
    case testcam::AuthScheme::None:
        break;
    }
    return "none";
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const testcam::ParseResult parsed = testcam::parseOptions(app.arguments());
    if (!parsed.options) {
        std::fputs(parsed.message.toLocal8Bit().constData(), parsed.exitCode ? stderr : stdout);
        return parsed.exitCode;
    }
    const testcam::Options& options = *parsed.options;

    QString error;
    const std::unique_ptr<testcam::FrameSource> source = testcam::FrameSource::create(options, &error);
    if (!source) {
        std::fprintf(stderr, "veskat-testcam: %s\n", qPrintable(error));
        return 1;
    }
    if (source->live() && source->estimatedLiveLoad() > 0.9)
        std::fprintf(stderr,
            "veskat-testcam: live encoding needs about %.1f cores here; pictures will be skipped "
            "(--precoded costs almost nothing)\n",
            source->estimatedLiveLoad());
    const testcam::HttpAuth auth(options);

    const auto start = std::chrono::steady_clock::now();
    const auto period = std::chrono::duration<double>(1.0 / options.fps);
    std::vector<std::unique_ptr<testcam::CameraServer>> cameras;
    for (int i = 0; i < options.cameras; ++i) {
        // Spread the cameras over one picture period, as real cameras are not in step.
        const auto offset
            = std::chrono::duration_cast<std::chrono::steady_clock::duration>(period * i / options.cameras);
        cameras.push_back(std::make_unique<testcam::CameraServer>(i, options, *source, auth, start + offset));
    }
    // With --refuse-for the ports are bound at once but listen only later, so
    // connections are refused meanwhile and no other program can take a port.
    const bool refuseFirst = options.refuseForSeconds > 0;
    for (auto& camera : cameras) {
        if (!(refuseFirst ? camera->holdPort() : camera->listen())) {
            std::fprintf(stderr, "veskat-testcam: cannot listen on 127.0.0.1:%d: %s\n", camera->port(),
                qPrintable(camera->errorString()));
            return kExitBindFailed;
        }
        camera->startClock();
    }
    if (refuseFirst) {
        QTimer::singleShot(
            std::chrono::milliseconds(static_cast<long long>(options.refuseForSeconds * 1000)), &app, [&] {
                for (auto& camera : cameras) {
                    if (!camera->listen()) {
                        std::fprintf(stderr, "veskat-testcam: cannot listen on 127.0.0.1:%d: %s\n",
                            camera->port(), qPrintable(camera->errorString()));
                        app.exit(kExitBindFailed);
                        return;
                    }
                }
            });
    }
    QTimer::singleShot(std::chrono::milliseconds(static_cast<long long>(options.durationSeconds * 1000)),
        &app, [&] { app.exit(0); });
    if (!testcam::watchTerminationSignals([&](int) { app.exit(0); }))
        std::fprintf(stderr, "veskat-testcam: cannot catch SIGTERM/SIGINT\n");

    std::printf(
        "veskat-testcam: %d camera%s, %dx%d at %g/s, quality %d, %s, auth %s, average picture %.0f kB\n",
        options.cameras, options.cameras == 1 ? "" : "s", options.width, options.height, options.fps,
        options.quality,
        source->live() ? "encoded live"
                       : qPrintable(QStringLiteral("precoded cycle of %1 pictures%2")
                                        .arg(source->cycleLength())
                                        .arg(source->cyclePerCamera() ? " per camera" : " shared")),
        authName(options.auth), source->averageBytes() / 1000.0);
    // Tests start the camera with --port 0 and read the ports from this line.
    QString ports;
    for (const auto& camera : cameras)
        ports += QLatin1Char(' ') + QString::number(camera->port());
    std::printf("veskat-testcam: ready on 127.0.0.1, ports%s\n", qPrintable(ports));
    std::fflush(stdout);

    const int code = app.exec();
    long long sent = 0;
    long long skipped = 0;
    for (const auto& camera : cameras) {
        sent += camera->picturesSent();
        skipped += camera->picturesSkipped();
    }
    std::fprintf(stderr, "veskat-testcam: exiting, %lld pictures sent, %lld skipped for slow clients\n", sent,
        skipped);
    return code;
}
