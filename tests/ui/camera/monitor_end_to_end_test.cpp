// SPDX-License-Identifier: GPL-2.0-or-later
// End to end: a camera window with the real media control watching
// veskat-testcam. The test camera goes away and comes back on the same port;
// the monitor must notice, restart the stream, show pictures again and log
// the statuses that ended. Ticks are driven by the test, not by the 30 s timer.
#include "core/settings/camera_schema.h"
#include "core/settings/registry_access.h"
#include "tests/support/test_env.h"
#include "tests/support/testcam_process.h"
#include "tests/ui/camera/forwarding_control.h"
#include "ui/camera/frm_camera.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QMdiArea>
#include <QPointer>
#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using monitor_test::ControlScript;
using monitor_test::ForwardingControl;

constexpr int kDeadlineMs = 30000;

// veskat-testcam, first on a free port it takes itself, then (`port` given)
// back on the port of the one stopped before. It stops by itself (--duration).
std::unique_ptr<veskat_test::TestcamProcess> startTestcam(int port = 0, const QStringList& extra = {})
{
    veskat_test::TestcamLaunch launch;
    launch.port = port;
    launch.readyDeadlineMs = kDeadlineMs;
    return std::make_unique<veskat_test::TestcamProcess>(
        1, QStringList { "--size", "320x240", "--fps", "10", "--precoded" } + extra, 120, launch);
}

std::string readAll(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> logLines(const fs::path& file)
{
    std::vector<std::string> lines;
    const std::string text = readAll(file);
    std::size_t start = 0;
    for (auto end = text.find("\r\n"); end != std::string::npos; end = text.find("\r\n", start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

bool restartWorthy(std::int32_t status)
{
    return status == 1025 || status > 1027;
}

// Dispatches events until `done` holds or the deadline passes.
bool waitFor(const std::function<bool()>& done, int deadlineMs = kDeadlineMs)
{
    QDeadlineTimer deadline(deadlineMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return true;
}

class MonitorEndToEnd : public testing::Test {
protected:
    MonitorEndToEnd()
    {
        m_frame.setCentralWidget(m_area);
        m_frame.resize(800, 600);
        m_frame.show();
    }
    ~MonitorEndToEnd() override
    {
        delete m_window.data();
        camera::setMediaControlFactory({});
    }

    // Opens the window of camera index 2 on 127.0.0.1:port with level 1,
    // its real control wrapped so that the calls are recorded.
    void openWindow(int port)
    {
        Veskat::CreateRegistryKey(HKEY_LOCAL_MACHINE, Veskat::CameraKeyPath(kIndex), Veskat::kLocalMachine);
        Veskat::WriteCameraText(kIndex, Veskat::CameraValue::IPAddress, "127.0.0.1:" + std::to_string(port));
        Veskat::WriteCameraNumber(kIndex, Veskat::CameraValue::Debug, 1);
        camera::setMediaControlFactory([this](QWidget* parent) -> media::MediaControl* {
            m_control = new ForwardingControl(parent, m_record);
            return m_control;
        });
        m_window = new frmCamera(kIndex, m_area);
        m_window->setCaption("*Camera #3");
        m_window->show();
        camera::setMediaControlFactory({});
    }

    std::vector<std::string> log() const { return logLines(m_env.driveC() / "camera_debug2.txt"); }
    std::string logText() const { return readAll(m_env.driveC() / "camera_debug2.txt"); }

    static constexpr int kIndex = 2;
    veskat_test::TempEnvironment m_env;
    const veskat_test::ScopedEnv m_locale { "LC_ALL", "C" }; // "/" and ":" in the time stamp
    QMainWindow m_frame;
    QMdiArea* m_area = new QMdiArea;
    std::shared_ptr<ControlScript> m_record = std::make_shared<ControlScript>();
    ForwardingControl* m_control = nullptr;
    QPointer<frmCamera> m_window;
};

void expectWellFormed(const std::vector<std::string>& lines)
{
    const std::regex pattern(R"(Status = ( \d+|-\d+) on \d\d/\d\d/\d{4} (1[0-2]|[1-9]):\d\d:\d\d (AM|PM))");
    for (const std::string& line : lines)
        EXPECT_TRUE(std::regex_match(line, pattern)) << line;
}

std::int32_t statusOf(const std::string& line)
{
    return std::stoi(line.substr(9, line.find(" on ") - 9));
}

TEST_F(MonitorEndToEnd, LostCameraIsRestartedShowsPicturesAgainAndTheLogHoldsTheEndedStatuses)
{
    auto testcam = startTestcam();
    ASSERT_TRUE(testcam->started()) << "veskat-testcam did not start";
    const int port = testcam->port();
    openWindow(port);
    ASSERT_NE(m_control, nullptr);
    ASSERT_TRUE(m_control->hasRealControl()) << "the media control could not be created";
    frmCamera* w = m_window;

    // Pictures arrive; the first tick notes status 2 (leaving 0 is not logged).
    ASSERT_TRUE(waitFor([&] { return m_control->currentStatus() == 2; })) << m_control->currentStatus();
    w->tmrReconnect_Timer();
    EXPECT_EQ(w->windowTitle(), "*Camera #3 Status:2");
    EXPECT_EQ(w->lastStatus(), 2);
    EXPECT_EQ(m_record->stops(), 0);

    // The camera goes away: the control reports a failed connection and the
    // next tick restarts the stream.
    testcam->stop();
    ASSERT_TRUE(waitFor([&] { return restartWorthy(m_control->currentStatus()); }))
        << m_control->currentStatus();
    const int startsBefore = m_record->starts();
    w->tmrReconnect_Timer();
    ASSERT_FALSE(m_window.isNull());
    EXPECT_TRUE(restartWorthy(w->lastStatus())) << w->lastStatus();
    EXPECT_EQ(m_record->stops(), 1);
    EXPECT_EQ(m_record->starts(), startsBefore + 1);
    EXPECT_THAT(m_record->invocations().back(), "start");

    // The camera comes back on the same port; ticks go on (restarting while
    // it is still down) until the monitor sees pictures again.
    testcam = startTestcam(port);
    ASSERT_TRUE(testcam->started()) << "veskat-testcam did not come back";
    QElapsedTimer sinceTick;
    sinceTick.start();
    const bool playing = waitFor([&] {
        if (sinceTick.elapsed() >= 500) {
            w->tmrReconnect_Timer();
            sinceTick.restart();
        }
        return w->lastStatus() == 2;
    });
    ASSERT_TRUE(playing) << "last status " << w->lastStatus();
    EXPECT_EQ(w->windowTitle(), "*Camera #3 Status:2");

    // The log holds the statuses that ended, in order: the 2 that ended when
    // the camera went away, then the failure that ended when it came back.
    const std::vector<std::string> lines = log();
    ASSERT_GE(lines.size(), 2u) << logText();
    expectWellFormed(lines);
    EXPECT_THAT(lines.front(), testing::StartsWith("Status =  2 on "));
    EXPECT_TRUE(restartWorthy(statusOf(lines.back()))) << logText();
}

TEST_F(MonitorEndToEnd, StreamDroppedMidwayIsRestartedAndPlaysAgain)
{
    // Every connection ends after a few pictures: the monitor must see the
    // loss, restart the stream and see pictures again afterwards.
    const auto testcam = startTestcam(0, { "--drop-after", "5" });
    ASSERT_TRUE(testcam->started()) << "veskat-testcam did not start";
    openWindow(testcam->port());
    ASSERT_TRUE(m_control && m_control->hasRealControl()) << "the media control could not be created";
    frmCamera* w = m_window;

    // Drops repeat, so the loop waits until a restart has been followed by
    // pictures and the log holds both an ended 2 and an ended failure.
    const auto logHolds = [&](const std::function<bool(std::int32_t)>& which) {
        for (const std::string& line : log()) {
            if (which(statusOf(line)))
                return true;
        }
        return false;
    };
    bool restarted = false;
    bool playingAfterRestart = false;
    QElapsedTimer sinceTick;
    sinceTick.start();
    const bool done = waitFor(
        [&] {
            if (sinceTick.elapsed() < 200)
                return false;
            w->tmrReconnect_Timer();
            sinceTick.restart();
            restarted = restarted || m_record->stops() > 0;
            playingAfterRestart = playingAfterRestart || (restarted && w->lastStatus() == 2);
            return playingAfterRestart && logHolds([](std::int32_t s) { return s == 2; })
                && logHolds(restartWorthy);
        },
        60000);
    ASSERT_TRUE(done) << "restarted " << restarted << ", playing after restart " << playingAfterRestart
                      << ", log:\n"
                      << logText();
    EXPECT_EQ(m_record->starts(), m_record->stops() + 1); // set-up's start, then one per restart
    expectWellFormed(log());
}

} // namespace
