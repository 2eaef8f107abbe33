// SPDX-License-Identifier: GPL-2.0-or-later
#include "bench/stream-bench/bench_viewer.h"

#include "core/seeding/module1.h"
#include "core/settings/camera_schema.h"
#include "media/control/mjpeg_control.h"
#include "tests/support/test_env.h"
#include "ui/camera/frm_camera.h"
#include "ui/frame/mdi_camera_main.h"
#include "ui/window_list/open_window_list.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMdiArea>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

namespace bench {

namespace {

// Seven windows a row, two rows: every window fully seen on a 1920x1080 frame.
constexpr int kColumnTwips = 4050;
constexpr int kRowTwips = 3900;

class Viewer {
public:
    Viewer(const veskat_test::TestcamProcess& camera, int cameras)
    {
        using namespace Veskat;
        Module1::SeedSettings();
        for (int i = 0; i <= kMaxCameraIndex; ++i) {
            WriteCameraNumber(i, CameraValue::ShowMe, i < cameras ? 1 : 0);
            WriteCameraNumber(i, CameraValue::Debug, 1);
            WriteCameraText(i, CameraValue::IPAddress, camera.hostPort(i).toStdString());
            WriteCameraNumber(i, CameraValue::Left, (i % 7) * kColumnTwips);
            WriteCameraNumber(i, CameraValue::Top, (i / 7) * kRowTwips);
        }
        m_frame = std::make_unique<MDICameraMain>();
        m_frame->setGeometry(0, 0, 1920, 1080);
        m_frame->show();
        std::printf("  viewer: frame %dx%d, its client area %dx%d\n", m_frame->width(), m_frame->height(),
            m_frame->mdiArea()->width(), m_frame->mdiArea()->height());
        const platform::OpenWindowList& list = platform::OpenWindowList::instance();
        for (int k = 0; k < list.count(); ++k) {
            if (auto* window = qobject_cast<frmCamera*>(list.at(k)))
                if (auto* control = qobject_cast<media::MjpegControl*>(window->mediaControl()))
                    m_controls.push_back(control);
        }
    }
    ~Viewer()
    {
        m_frame.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        waitMs(200);
    }

    MDICameraMain& frame() { return *m_frame; }
    const std::vector<media::MjpegControl*>& controls() const { return m_controls; }

    int count(const std::function<bool(const media::MjpegControl&)>& test) const
    {
        return static_cast<int>(std::count_if(
            m_controls.begin(), m_controls.end(), [&](const media::MjpegControl* c) { return test(*c); }));
    }
    int playing() const
    {
        return count([](const media::MjpegControl& c) { return c.status() == media::Status::Playing; });
    }

    void warmUp(int cameras, double seconds)
    {
        waitUntil([&] { return playing() == cameras; }, 30000);
        waitMs(static_cast<int>(seconds * 1000));
    }

    // Counters of every control over `seconds`, with this process's CPU.
    OurFigures measure(double seconds)
    {
        for (media::MjpegControl* control : m_controls)
            control->resetStats();
        const long rssStart = currentRssKiB();
        const double cpuStart = selfCpuSeconds();
        QElapsedTimer wall;
        wall.start();
        waitMs(static_cast<int>(seconds * 1000));
        const double cpu = selfCpuSeconds() - cpuStart;
        const double wallSeconds = wall.elapsed() / 1000.0;
        OurFigures figures = collectFigures({ m_controls.begin(), m_controls.end() });
        figures.playing = playing();
        figures.cpuSeconds = cpu;
        figures.wallSeconds = wallSeconds;
        figures.rssStartKiB = rssStart;
        figures.rssEndKiB = currentRssKiB();
        if (!m_controls.empty()) {
            figures.areaWidth = m_controls.front()->width();
            figures.areaHeight = m_controls.front()->height();
        }
        return figures;
    }

private:
    veskat_test::TempEnvironment m_env; // never the user's settings
    std::unique_ptr<MDICameraMain> m_frame;
    std::vector<media::MjpegControl*> m_controls;
};

} // namespace

OurFigures runViewer(
    const veskat_test::TestcamProcess& camera, int cameras, double warmupSeconds, double seconds)
{
    Viewer viewer(camera, cameras);
    viewer.warmUp(cameras, warmupSeconds);
    return viewer.measure(seconds);
}

MinimisedFigures runMinimised(
    const veskat_test::TestcamProcess& camera, int cameras, double warmupSeconds, double seconds)
{
    Viewer viewer(camera, cameras);
    viewer.warmUp(cameras, warmupSeconds);
    MinimisedFigures figures;
    figures.shown = viewer.measure(seconds);

    viewer.frame().showMinimized();
    waitMs(1000);
    figures.minimised = viewer.measure(seconds);
    figures.playingWhileMinimised = viewer.playing();

    std::vector<std::uint64_t> drawnBefore;
    for (const media::MjpegControl* control : viewer.controls())
        drawnBefore.push_back(control->stats().drawn);
    QElapsedTimer restore;
    restore.start();
    viewer.frame().showNormal();
    // The offscreen platform forgets the size a restored window had.
    viewer.frame().setGeometry(0, 0, 1920, 1080);
    const auto allDrewAgain = [&] {
        for (std::size_t i = 0; i < drawnBefore.size(); ++i)
            if (viewer.controls()[i]->stats().drawn <= drawnBefore[i])
                return false;
        return true;
    };
    // Polled every 2 ms rather than waitUntil()'s 50.
    while (!allDrewAgain() && restore.elapsed() < 10000)
        waitMs(2);
    if (allDrewAgain())
        figures.restoreMs = static_cast<double>(restore.nsecsElapsed()) / 1e6;
    figures.restored = viewer.measure(seconds);
    return figures;
}

} // namespace bench
