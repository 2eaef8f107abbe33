// SPDX-License-Identifier: GPL-2.0-or-later
// stream-bench: N camera streams from veskat-testcam, each drawn by our
// media control, and the same streams decoded and scaled by ffmpeg; prints
// what each client managed and what it cost.
//
//   stream-bench [--seconds 10] [--warmup 3] [--cameras 14] [--rounds 3]
//                [--sizes 640x480,1280x720,1920x1080] [--no-ffmpeg]
//                [--mode controls|viewer|minimise]
//
// controls: 254x213 media controls alone, each a window of its own.
// viewer: the frame with its camera windows and the status monitor on.
// Both take turns with ffmpeg `--rounds` times against one test camera, and
// print the median and the spread of the rounds, so that one run's figure
// holds while the machine's load drifts.
// minimise: the viewer shown, minimised, then restored.
#include "bench/stream-bench/bench_clients.h"
#include "bench/stream-bench/bench_viewer.h"
#include "core/settings/camera_schema.h"
#include "media/control/media_engine.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

struct Options {
    double seconds = 10;
    double warmup = 3;
    int cameras = Veskat::kCameraCount;
    int rounds = 3;
    QStringList sizes { "640x480", "1280x720", "1920x1080" };
    bool ffmpeg = true;
    QString mode = "controls";
};

bool parse(const QStringList& args, Options& o)
{
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--seconds" && hasValue)
            o.seconds = args[++i].toDouble();
        else if (a == "--warmup" && hasValue)
            o.warmup = args[++i].toDouble();
        else if (a == "--cameras" && hasValue)
            o.cameras = args[++i].toInt();
        else if (a == "--rounds" && hasValue)
            o.rounds = args[++i].toInt();
        else if (a == "--sizes" && hasValue)
            o.sizes = args[++i].split(QLatin1Char(','), Qt::SkipEmptyParts);
        else if (a == "--mode" && hasValue)
            o.mode = args[++i];
        else if (a == "--no-ffmpeg")
            o.ffmpeg = false;
        else
            return false;
    }
    const bool knownMode = o.mode == "controls" || o.mode == "viewer" || o.mode == "minimise";
    return knownMode && o.seconds > 0 && o.warmup >= 0 && o.cameras > 0 && o.cameras <= Veskat::kCameraCount
        && o.rounds > 0 && !o.sizes.isEmpty();
}

double perPictureMs(double cpuSeconds, unsigned long long pictures)
{
    return pictures ? cpuSeconds * 1000.0 / static_cast<double>(pictures) : 0.0;
}

double percent(unsigned long long part, unsigned long long whole)
{
    return whole ? 100.0 * static_cast<double>(part) / static_cast<double>(whole) : 0.0;
}

double cores(const bench::OurFigures& f)
{
    return f.wallSeconds > 0 ? f.cpuSeconds / f.wallSeconds : 0.0;
}

void printOurs(const char* label, const bench::OurFigures& ours, int cameras)
{
    const double expected = 25.0 * cameras * ours.wallSeconds;
    const unsigned long long dropped = ours.droppedBeforeDecode + ours.droppedBeforeDraw;
    std::printf(
        "  %s: %d/%d playing, areas %dx%d; in %.1f s: expected %.0f at 25/s, received %llu, decoded "
        "%llu, skipped %llu, drawn %llu, unseen %llu, dropped %llu (%.2f %%: %llu before decode, %llu "
        "before paint)\n",
        label, ours.playing, cameras, ours.areaWidth, ours.areaHeight, ours.wallSeconds, expected,
        ours.received, ours.decoded, ours.skipped, ours.drawn, ours.unseen, dropped,
        percent(dropped, ours.received), ours.droppedBeforeDecode, ours.droppedBeforeDraw);
    std::printf(
        "  %s: CPU %.2f s = %.3f cores, %.3f ms CPU per drawn picture; latency send->drawn p50 %.1f ms, "
        "p99 %.1f ms; RSS %ld -> %ld MiB, peak %ld MiB\n",
        label, ours.cpuSeconds, cores(ours), perPictureMs(ours.cpuSeconds, ours.drawn), ours.latencyP50Ms,
        ours.latencyP99Ms, ours.rssStartKiB / 1024, ours.rssEndKiB / 1024, bench::peakRssKiB() / 1024);
}

void printTheirs(const bench::FfmpegFigures& theirs, int cameras)
{
    const double expected = 25.0 * cameras * theirs.wallSeconds;
    std::printf(
        "  ffmpeg : %d/%d running; in %.1f s: %llu pictures (%.1f %% of %.0f), CPU %.2f s = %.3f cores, "
        "%.3f ms CPU per picture\n",
        theirs.running, cameras, theirs.wallSeconds, theirs.pictures,
        percent(theirs.pictures, static_cast<unsigned long long>(expected)), expected, theirs.cpuSeconds,
        theirs.wallSeconds > 0 ? theirs.cpuSeconds / theirs.wallSeconds : 0.0,
        perPictureMs(theirs.cpuSeconds, theirs.pictures));
}

// "median (min .. max)" of the rounds.
void printSpread(const char* what, std::vector<double> values, const char* unit)
{
    if (values.empty())
        return;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    const double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    std::printf("  %-34s median %.3f%s  (min %.3f, max %.3f, %zu rounds)\n", what, median, unit,
        values.front(), values.back(), n);
}

} // namespace

int main(int argc, char** argv)
{
    // An offscreen screen of 1920x1080 (its default is 800x600), so that the
    // viewer's fourteen windows all fit its frame and are seen.
    QTemporaryDir screenConfig;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        QFile config(screenConfig.filePath(QStringLiteral("screen.json")));
        if (screenConfig.isValid() && config.open(QIODevice::WriteOnly)) {
            config.write(R"({"screens": [{"name": "bench", "x": 0, "y": 0, "width": 1920, "height": 1080,
                "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
            config.close();
            qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.fileName().toLocal8Bit());
        } else {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
    }
    QApplication app(argc, argv);
    media::MediaEngineShutdown engineShutdown;
    Options o;
    if (!parse(app.arguments(), o)) {
        std::fprintf(stderr,
            "usage: stream-bench [--seconds N] [--warmup N] [--cameras N (1..%d)] [--rounds N] "
            "[--sizes WxH,...] [--no-ffmpeg] [--mode controls|viewer|minimise]\n",
            Veskat::kCameraCount);
        return 2;
    }
    const QString buildDir = QDir(QCoreApplication::applicationDirPath()).absoluteFilePath("../..");
    if (qEnvironmentVariableIsEmpty("VESKAT_BUILD_DIR"))
        qputenv("VESKAT_BUILD_DIR", QDir::cleanPath(buildDir).toLocal8Bit());
    const QString testcam = QDir(buildDir).filePath("tools/testcam/veskat-testcam");
    const bool minimise = o.mode == "minimise";
    const QString ffmpeg
        = o.ffmpeg && !minimise ? QStandardPaths::findExecutable(QStringLiteral("ffmpeg")) : QString();
    const double roundSeconds = minimise ? 3 * o.seconds + 10 : 2 * (o.warmup + o.seconds) + 20;
    const int duration = static_cast<int>(o.rounds * roundSeconds) + 120;
    std::printf(
        "stream-bench (%s): %d cameras at 25/s, %.0f s measured after %.0f s warm-up, %d rounds, %d CPUs\n",
        qPrintable(o.mode), o.cameras, o.seconds, o.warmup, o.rounds, QThread::idealThreadCount());

    // Pre-encoding 1080p pictures for 14 cameras takes a while before "ready"; the
    // camera's exit report says how many pictures it sent.
    const veskat_test::TestcamLaunch launch {
        .program = testcam, .readyDeadlineMs = 60000, .keepExitReport = true
    };
    for (const QString& size : o.sizes) {
        std::printf("\n== %d x %s ==\n", o.cameras, qPrintable(size));
        veskat_test::TestcamProcess camera(o.cameras, { "--size", size, "--fps", "25" }, duration, launch);
        if (!camera.started()) {
            std::printf("  veskat-testcam did not start (%s)\n", qPrintable(testcam));
            return 1;
        }
        std::printf("  %s\n", qPrintable(camera.banner()));

        if (minimise) {
            std::vector<double> shownCores, minimisedCores, restoredCores, restoreMs, minimisedDecoded;
            for (int round = 1; round <= o.rounds; ++round) {
                std::printf(" round %d\n", round);
                const bench::MinimisedFigures f = bench::runMinimised(camera, o.cameras, o.warmup, o.seconds);
                printOurs("shown    ", f.shown, o.cameras);
                printOurs("minimised", f.minimised, o.cameras);
                std::printf("  minimised: %d/%d playing at its end\n", f.playingWhileMinimised, o.cameras);
                std::printf("  restore  : every window drew again after %.1f ms\n", f.restoreMs);
                printOurs("restored ", f.restored, o.cameras);
                shownCores.push_back(cores(f.shown));
                minimisedCores.push_back(cores(f.minimised));
                minimisedDecoded.push_back(static_cast<double>(f.minimised.decoded));
                restoredCores.push_back(cores(f.restored));
                restoreMs.push_back(f.restoreMs);
            }
            std::printf(" summary\n");
            printSpread("shown: cores", shownCores, "");
            printSpread("minimised: cores", minimisedCores, "");
            printSpread("minimised: pictures decoded", minimisedDecoded, "");
            printSpread("restore: until every window drew", restoreMs, " ms");
            printSpread("restored: cores", restoredCores, "");
            camera.stop();
            continue;
        }

        std::vector<double> ourCores, ourMs, theirMs, ratios, droppedPercent, p99;
        for (int round = 1; round <= o.rounds; ++round) {
            std::printf(" round %d\n", round);
            const bench::OurFigures ours = o.mode == "viewer"
                ? bench::runViewer(camera, o.cameras, o.warmup, o.seconds)
                : bench::runOurControls(camera, o.cameras, o.warmup, o.seconds);
            printOurs("veskat ", ours, o.cameras);
            ourCores.push_back(cores(ours));
            ourMs.push_back(perPictureMs(ours.cpuSeconds, ours.drawn));
            droppedPercent.push_back(
                percent(ours.droppedBeforeDecode + ours.droppedBeforeDraw, ours.received));
            p99.push_back(ours.latencyP99Ms);
            if (ffmpeg.isEmpty())
                continue;
            const bench::FfmpegFigures theirs
                = bench::runFfmpeg(ffmpeg, camera, o.cameras, o.warmup, o.seconds);
            printTheirs(theirs, o.cameras);
            const double ms = perPictureMs(theirs.cpuSeconds, theirs.pictures);
            theirMs.push_back(ms);
            if (ms > 0) {
                ratios.push_back(ourMs.back() / ms);
                std::printf("  ratio  : our CPU per picture / ffmpeg's = %.2f\n", ratios.back());
            }
        }
        const long long sent = camera.stop();
        std::printf(" summary (camera sent %lld pictures over its whole run)\n", sent);
        printSpread("veskat: cores", ourCores, "");
        printSpread("veskat: CPU per drawn picture", ourMs, " ms");
        printSpread("veskat: dropped", droppedPercent, " %");
        printSpread("veskat: latency p99", p99, " ms");
        printSpread("ffmpeg: CPU per picture", theirMs, " ms");
        printSpread("ratio veskat / ffmpeg per picture", ratios, "");
    }
    return 0;
}
