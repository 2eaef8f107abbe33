// SPDX-License-Identifier: GPL-2.0-or-later
// bench_ui_latency: the delay with which the UI thread answers an event while
// the frame shows N live camera windows fed by veskat-testcam on loopback.
//
// A helper thread posts a stamped event to the UI thread every 10 ms; the UI
// thread notes how long each one waited. Prints p50/p90/p99/max over the run.
//
//   bench_ui_latency [--seconds 30] [--cameras 14] [--size 1280x720] [--fps 25]
//
// Runs on the offscreen platform unless QT_QPA_PLATFORM or a display is set;
// for figures with every window painted run it under a 1920x1080 display:
//   xvfb-run -a -s "-screen 0 1920x1080x24" bench_ui_latency
#include "core/seeding/module1.h"
#include "core/settings/camera_schema.h"
#include "media/control/media_control.h"
#include "media/control/media_engine.h"
#include "media/control/mjpeg_control.h"
#include "tests/support/test_env.h"
#include "tests/support/testcam_process.h"
#include "ui/camera/frm_camera.h"
#include "ui/frame/mdi_camera_main.h"
#include "ui/window_list/open_window_list.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

class StampEvent : public QEvent {
public:
    static QEvent::Type type()
    {
        static const auto t = static_cast<QEvent::Type>(QEvent::registerEventType());
        return t;
    }
    explicit StampEvent(Clock::time_point posted)
        : QEvent(type())
        , postedAt(posted)
    {
    }
    Clock::time_point postedAt;
};

class LatencyProbe : public QObject {
public:
    std::vector<double> delaysMs;
    bool recording = false;

protected:
    void customEvent(QEvent* event) override
    {
        if (event->type() != StampEvent::type() || !recording)
            return;
        const auto waited = Clock::now() - static_cast<StampEvent*>(event)->postedAt;
        delaysMs.push_back(std::chrono::duration<double, std::milli>(waited).count());
    }
};

double percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

std::vector<frmCamera*> cameraWindows()
{
    std::vector<frmCamera*> windows;
    const auto& list = platform::OpenWindowList::instance();
    for (int k = 0; k < list.count(); ++k)
        if (auto* w = qobject_cast<frmCamera*>(list.at(k)))
            windows.push_back(w);
    return windows;
}

int countStatus(const std::vector<frmCamera*>& windows, std::int32_t status)
{
    int n = 0;
    for (const frmCamera* w : windows)
        if (w->mediaControl()
            && media::toInt32(w->mediaControl()->getProperty(media::DispId::Status)) == status)
            ++n;
    return n;
}

media::MjpegControl* realControl(const frmCamera* window)
{
    return qobject_cast<media::MjpegControl*>(window->mediaControl());
}

// Pictures drawn by all windows so far.
std::uint64_t picturesDrawn(const std::vector<frmCamera*>& windows)
{
    std::uint64_t drawn = 0;
    for (const frmCamera* w : windows)
        if (const media::MjpegControl* control = realControl(w))
            drawn += control->stats().drawn;
    return drawn;
}

int windowsWithPictures(const std::vector<frmCamera*>& windows)
{
    int n = 0;
    for (const frmCamera* w : windows)
        if (const media::MjpegControl* control = realControl(w); control && control->stats().drawn > 0)
            ++n;
    return n;
}

double processCpuSeconds()
{
    timespec ts {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

} // namespace

int main(int argc, char** argv)
{
    if (!veskat_test::getEnv("QT_QPA_PLATFORM") && !veskat_test::getEnv("DISPLAY")
        && !veskat_test::getEnv("WAYLAND_DISPLAY"))
        veskat_test::setEnv("QT_QPA_PLATFORM", "offscreen");
    veskat_test::TempEnvironment env; // never the user's settings
    QApplication app(argc, argv);
    media::MediaEngineShutdown engineShutdown;

    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption secondsOption("seconds", "Measuring time (default 30).", "S", "30");
    const QString allCameras = QString::number(Veskat::kCameraCount);
    const QCommandLineOption camerasOption(
        "cameras", QStringLiteral("Camera windows (default %1).").arg(allCameras), "N", allCameras);
    const QCommandLineOption sizeOption("size", "Picture size (default 1280x720).", "WxH", "1280x720");
    const QCommandLineOption fpsOption("fps", "Pictures per second (default 25).", "F", "25");
    parser.addOptions({ secondsOption, camerasOption, sizeOption, fpsOption });
    parser.process(app);
    const int seconds = std::max(1, parser.value(secondsOption).toInt());
    const int cameras = std::clamp(parser.value(camerasOption).toInt(), 1, Veskat::kCameraCount);

    // veskat-testcam is found in the build tree this benchmark was built in.
    if (!veskat_test::getEnv("VESKAT_BUILD_DIR"))
        veskat_test::setEnv("VESKAT_BUILD_DIR",
            QDir(QCoreApplication::applicationDirPath() + "/../..").absolutePath().toStdString());
    veskat_test::TestcamProcess testcam(
        cameras, { "--size", parser.value(sizeOption), "--fps", parser.value(fpsOption) }, seconds + 120);
    if (!testcam.started()) {
        std::fprintf(stderr, "bench_ui_latency: veskat-testcam did not start (is it built?)\n");
        return 1;
    }

    Module1::SeedSettings();
    for (int i = 0; i <= Veskat::kMaxCameraIndex; ++i) {
        Veskat::WriteCameraNumber(i, Veskat::CameraValue::ShowMe, i < cameras ? 1 : 0);
        Veskat::WriteCameraText(i, Veskat::CameraValue::IPAddress, testcam.hostPort(i).toStdString());
        Veskat::WriteCameraNumber(i, Veskat::CameraValue::Left, (i % 5) * 5000);
        Veskat::WriteCameraNumber(i, Veskat::CameraValue::Top, (i / 5) * 4000);
    }

    MDICameraMain frame;
    frame.show();
    // Without a window manager (Xvfb) nothing maximises the frame: give it the screen,
    // so that every window is visible and painted.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        frame.setGeometry(screen->availableGeometry());
    const std::vector<frmCamera*> windows = cameraWindows();

    // Wait (up to 30 s) until every stream plays, so that the measurement sees the full load.
    QElapsedTimer warmUp;
    warmUp.start();
    while ((countStatus(windows, media::Status::Playing) < cameras || windowsWithPictures(windows) < cameras)
        && warmUp.elapsed() < 30000)
        app.processEvents(QEventLoop::AllEvents, 50);
    std::printf("warm-up: %d of %d streams playing, %d showing pictures, after %.1f s\n",
        countStatus(windows, media::Status::Playing), cameras, windowsWithPictures(windows),
        warmUp.elapsed() / 1000.0);
    const std::uint64_t drawnBefore = picturesDrawn(windows);

    LatencyProbe probe;
    probe.recording = true;
    std::atomic<bool> stop { false };
    std::thread poster([&] {
        auto next = Clock::now();
        while (!stop.load()) {
            next += std::chrono::milliseconds(10);
            std::this_thread::sleep_until(next);
            QCoreApplication::postEvent(&probe, new StampEvent(Clock::now()));
        }
    });

    const double cpuBefore = processCpuSeconds();
    // A loop of our own: QCoreApplication::quit() would close the frame.
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    const double cpu = processCpuSeconds() - cpuBefore;
    stop = true;
    poster.join();
    const int playing = countStatus(windows, media::Status::Playing);
    const std::uint64_t drawn = picturesDrawn(windows) - drawnBefore;

    std::printf("ui-latency: %d streams %s at %s fps, %d s, %zu events\n", cameras,
        qPrintable(parser.value(sizeOption)), qPrintable(parser.value(fpsOption)), seconds,
        probe.delaysMs.size());
    std::printf("  p50 %.2f ms  p90 %.2f ms  p99 %.2f ms  max %.2f ms\n", percentile(probe.delaysMs, 0.50),
        percentile(probe.delaysMs, 0.90), percentile(probe.delaysMs, 0.99),
        probe.delaysMs.empty() ? 0.0 : *std::max_element(probe.delaysMs.begin(), probe.delaysMs.end()));
    std::printf("  pictures drawn %.1f per second in all; viewer CPU %.0f %% of one core; "
                "streams playing at the end: %d of %d\n",
        static_cast<double>(drawn) / seconds, 100.0 * cpu / seconds, playing, cameras);
    return 0;
}
