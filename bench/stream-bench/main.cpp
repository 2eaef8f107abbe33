// stream-bench: N camera streams from veskat-testcam, each drawn into a
// 254x213 area by our media control, then the same streams decoded and
// scaled by ffmpeg; prints what each client managed and what it cost.
//
//   stream-bench [--seconds 20] [--warmup 3] [--cameras 14]
//                [--sizes 640x480,1280x720,1920x1080] [--no-ffmpeg]
#include "bench/stream-bench/bench_clients.h"
#include "platform/media/media_engine.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QThread>

#include <cstdio>

namespace {

struct Options {
    double seconds = 20;
    double warmup = 3;
    int cameras = 14;
    QStringList sizes { "640x480", "1280x720", "1920x1080" };
    bool ffmpeg = true;
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
        else if (a == "--sizes" && hasValue)
            o.sizes = args[++i].split(QLatin1Char(','), Qt::SkipEmptyParts);
        else if (a == "--no-ffmpeg")
            o.ffmpeg = false;
        else
            return false;
    }
    return o.seconds > 0 && o.warmup >= 0 && o.cameras > 0 && !o.sizes.isEmpty();
}

double perPictureMs(double cpuSeconds, unsigned long long pictures)
{
    return pictures ? cpuSeconds * 1000.0 / static_cast<double>(pictures) : 0.0;
}

double percent(unsigned long long part, unsigned long long whole)
{
    return whole ? 100.0 * static_cast<double>(part) / static_cast<double>(whole) : 0.0;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    media::MediaEngineShutdown engineShutdown;
    Options o;
    if (!parse(app.arguments(), o)) {
        std::fprintf(stderr,
            "usage: stream-bench [--seconds N] [--warmup N] [--cameras N] "
            "[--sizes WxH,...] [--no-ffmpeg]\n");
        return 2;
    }
    const QString testcam
        = QDir(QCoreApplication::applicationDirPath()).filePath("../../tools/testcam/veskat-testcam");
    const QString ffmpeg = o.ffmpeg ? QStandardPaths::findExecutable(QStringLiteral("ffmpeg")) : QString();
    const int duration = static_cast<int>(o.warmup + o.seconds) + 90;
    std::printf(
        "stream-bench: %d cameras at 25/s, %.0f s measured after %.0f s warm-up, tiles 254x213, %d CPUs\n",
        o.cameras, o.seconds, o.warmup, QThread::idealThreadCount());

    // Pre-encoding 1080p pictures for 14 cameras takes a while before "ready"; the
    // camera's exit report says how many pictures it sent.
    const veskat_test::TestcamLaunch launch {
        .program = testcam, .readyDeadlineMs = 60000, .keepExitReport = true
    };
    for (const QString& size : o.sizes) {
        const QStringList camArgs { "--size", size, "--fps", "25" };
        std::printf("\n== %d x %s ==\n", o.cameras, qPrintable(size));
        bench::OurFigures ours;
        long long sent = -1;
        {
            veskat_test::TestcamProcess camera(o.cameras, camArgs, duration, launch);
            if (!camera.started()) {
                std::printf("  veskat-testcam did not start (%s)\n", qPrintable(testcam));
                return 1;
            }
            std::printf("  %s\n", qPrintable(camera.banner()));
            ours = bench::runOurControls(camera, o.cameras, o.warmup, o.seconds);
            sent = camera.stop();
        }
        const double expected = 25.0 * o.cameras * ours.wallSeconds;
        const unsigned long long dropped = ours.droppedBeforeDecode + ours.droppedBeforeDraw;
        const double ourMs = perPictureMs(ours.cpuSeconds, ours.drawn);
        std::printf(
            "  veskat : %d/%d playing; in %.1f s: expected %.0f at 25/s, received %llu, decoded %llu, "
            "skipped %llu, drawn %llu, dropped %llu (%.2f %%: %llu before decode, %llu before paint); "
            "camera sent %lld over its whole run\n",
            ours.playing, o.cameras, ours.wallSeconds, expected, ours.received, ours.decoded, ours.skipped,
            ours.drawn, dropped, percent(dropped, ours.received), ours.droppedBeforeDecode,
            ours.droppedBeforeDraw, sent);
        std::printf("  veskat : CPU %.2f s = %.2f cores, %.3f ms CPU per drawn picture; latency send->drawn "
                    "p50 %.1f ms, p99 %.1f ms; RSS %ld -> %ld MiB, peak %ld MiB\n",
            ours.cpuSeconds, ours.cpuSeconds / ours.wallSeconds, ourMs, ours.latencyP50Ms, ours.latencyP99Ms,
            ours.rssStartKiB / 1024, ours.rssEndKiB / 1024, bench::peakRssKiB() / 1024);

        if (ffmpeg.isEmpty()) {
            std::printf("  ffmpeg : not run\n");
            continue;
        }
        bench::FfmpegFigures theirs;
        {
            veskat_test::TestcamProcess camera(o.cameras, camArgs, duration, launch);
            if (!camera.started())
                return 1;
            theirs = bench::runFfmpeg(ffmpeg, camera, o.cameras, o.warmup, o.seconds);
        }
        const double theirMs = perPictureMs(theirs.cpuSeconds, theirs.pictures);
        std::printf(
            "  ffmpeg : %d/%d running; in %.1f s: %llu pictures (%.1f %% of %.0f), CPU %.2f s = %.2f cores, "
            "%.3f ms CPU per picture\n",
            theirs.running, o.cameras, theirs.wallSeconds, theirs.pictures,
            percent(theirs.pictures, static_cast<unsigned long long>(25.0 * o.cameras * theirs.wallSeconds)),
            25.0 * o.cameras * theirs.wallSeconds, theirs.cpuSeconds, theirs.cpuSeconds / theirs.wallSeconds,
            theirMs);
        if (theirMs > 0)
            std::printf("  ratio  : our CPU per picture / ffmpeg's = %.2f\n", ourMs / theirMs);
    }
    return 0;
}
