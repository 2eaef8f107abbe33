// SPDX-License-Identifier: GPL-2.0-or-later
// The status monitor through the real camera window, with a recording media
// control that answers scripted statuses. Ticks are driven directly.
#include "core/settings/camera_schema.h"
#include "core/settings/registry_access.h"
#include "tests/support/test_env.h"
#include "tests/ui/camera/recording_control.h"
#include "ui/camera/frm_camera.h"

#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QPointer>
#include <QTimer>
#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using monitor_test::RecordingFactory;
using testing::ElementsAre;
using testing::HasSubstr;

std::string readAll(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class MonitorWindow : public testing::Test {
protected:
    MonitorWindow()
    {
        m_frame.setCentralWidget(m_area);
        m_frame.resize(1200, 900);
        m_frame.show();
    }

    ~MonitorWindow() override
    {
        m_area->closeAllSubWindows();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (const QPointer<frmCamera>& w : m_windows)
            delete w.data();
    }

    // Opens the window of camera `index` the way the frame does, with its
    // "Debug" setting, and forgets the calls of its set-up.
    frmCamera* open(int index, int debugLevel)
    {
        Veskat::CreateRegistryKey(HKEY_LOCAL_MACHINE, Veskat::CameraKeyPath(index), Veskat::kLocalMachine);
        Veskat::WriteCameraNumber(index, Veskat::CameraValue::Debug, debugLevel);
        Veskat::WriteCameraText(index, Veskat::CameraValue::IPAddress, "127.0.0.1:9");
        auto* w = new frmCamera(static_cast<std::int16_t>(index), m_area);
        w->setCaption("*Camera #" + std::to_string(index + 1));
        w->show();
        m_windows.push_back(w);
        if (w->mediaControl())
            m_factory.script(m_windows.size() - 1).calls.clear();
        return w;
    }

    monitor_test::ControlScript& script(std::size_t k = 0) { return m_factory.script(k); }
    fs::path logFile(int index) const
    {
        return m_env.driveC() / ("camera_debug" + std::to_string(index) + ".txt");
    }

    veskat_test::TempEnvironment m_env;
    const veskat_test::ScopedEnv m_locale { "LC_ALL", "C" }; // "/" and ":" in the time stamp
    RecordingFactory m_factory;
    QMainWindow m_frame;
    QMdiArea* m_area = new QMdiArea;
    std::vector<QPointer<frmCamera>> m_windows;
};

TEST_F(MonitorWindow, LevelZeroLeavesEverythingAlone)
{
    frmCamera* w = open(0, 0);
    script().status = 1025;
    for (int i = 0; i < 3; ++i)
        w->tmrReconnect_Timer();
    EXPECT_EQ(w->windowTitle(), "*Camera #1");
    EXPECT_TRUE(script().calls.empty());
    EXPECT_FALSE(fs::exists(logFile(0)));
}

TEST_F(MonitorWindow, SequenceZeroTwo1025LogsTheEndedTwoAndRestarts)
{
    frmCamera* w = open(0, 1);
    script().status = 0;
    w->tmrReconnect_Timer();
    EXPECT_EQ(w->windowTitle(), "*Camera #1 Status:0");
    script().status = 2;
    w->tmrReconnect_Timer();
    EXPECT_EQ(w->windowTitle(), "*Camera #1 Status:2");
    EXPECT_FALSE(fs::exists(logFile(0))); // leaving 0 writes nothing
    EXPECT_TRUE(script().invocations().empty());

    script().status = 1025;
    w->tmrReconnect_Timer();
    EXPECT_EQ(w->windowTitle(), "*Camera #1 Status:1025");
    EXPECT_EQ(w->lastStatus(), 1025);
    EXPECT_THAT(script().invocations(), ElementsAre("stop", "start"));
    const std::string log = readAll(logFile(0));
    EXPECT_TRUE(std::regex_match(
        log, std::regex("Status =  2 on \\d\\d/\\d\\d/\\d{4} (1[0-2]|[1-9]):\\d\\d:\\d\\d (AM|PM)\r\n")))
        << log;
}

TEST_F(MonitorWindow, CaptionOfIndexFourWithStatusFive)
{
    frmCamera* w = open(4, 1);
    script().status = 5;
    w->tmrReconnect_Timer();
    EXPECT_EQ(w->windowTitle(), "*Camera #5 Status:5");
}

TEST_F(MonitorWindow, PropertyEighteenEveryTickAtLevelTwoNeverAtLevelOne)
{
    frmCamera* two = open(0, 2);
    frmCamera* one = open(1, 1);
    script(0).status = 2;
    script(1).status = 2;
    for (int i = 0; i < 3; ++i) {
        two->tmrReconnect_Timer();
        one->tmrReconnect_Timer();
    }
    EXPECT_EQ(script(0).count(monitor_test::Call::Put, media::DispId::Flag18), 3);
    EXPECT_EQ(script(1).count(monitor_test::Call::Put, media::DispId::Flag18), 0);
}

TEST_F(MonitorWindow, FourReadsPerTickFiveWhenTheStatusChanged)
{
    frmCamera* w = open(0, 1);
    script().status = 2;
    w->tmrReconnect_Timer();
    EXPECT_EQ(script().statusReads(), 5);
    w->tmrReconnect_Timer();
    EXPECT_EQ(script().statusReads(), 9);
}

TEST_F(MonitorWindow, WaitingAndStalledNeverRestart)
{
    frmCamera* w = open(0, 1);
    for (std::int32_t status : { 1026, 1027, 1026, 1027 }) {
        script().status = status;
        w->tmrReconnect_Timer();
    }
    EXPECT_TRUE(script().invocations().empty());
}

TEST_F(MonitorWindow, RefusedPasswordRestartsAfterThePause)
{
    frmCamera* w = open(0, 1);
    script().status = 1028;
    bool stoppedBeforeTheWait = false;
    QTimer::singleShot(
        0, w, [&] { stoppedBeforeTheWait = script().invocations() == std::vector<std::string> { "stop" }; });
    w->tmrReconnect_Timer();
    EXPECT_TRUE(stoppedBeforeTheWait);
    EXPECT_THAT(script().invocations(), ElementsAre("stop", "start"));
}

TEST_F(MonitorWindow, StatusBeyondSixteenBitsIsKeptWhole)
{
    frmCamera* w = open(0, 1);
    script().status = 70000;
    w->tmrReconnect_Timer();
    EXPECT_EQ(w->lastStatus(), 70000);
    EXPECT_EQ(w->windowTitle(), "*Camera #1 Status:70000");
    script().status = 1026;
    w->tmrReconnect_Timer();
    EXPECT_EQ(readAll(logFile(0)).substr(0, 19), "Status =  70000 on ");
}

TEST_F(MonitorWindow, NegativeStatusIsLoggedWithMinus)
{
    frmCamera* w = open(2, 1);
    script().status = -2;
    w->tmrReconnect_Timer();
    script().status = 2;
    w->tmrReconnect_Timer();
    EXPECT_EQ(readAll(logFile(2)).substr(0, 15), "Status = -2 on ");
}

TEST_F(MonitorWindow, WindowWithoutMediaControlIgnoresTicks)
{
    camera::setMediaControlFactory([](QWidget*) -> media::MediaControl* { return nullptr; });
    frmCamera* w = open(0, 2);
    ASSERT_EQ(w->mediaControl(), nullptr);
    w->tmrReconnect_Timer();
    EXPECT_EQ(w->windowTitle(), "*Camera #1");
    EXPECT_FALSE(fs::exists(logFile(0)));
}

TEST_F(MonitorWindow, UnwritableDebugLogIsReportedOnceAndTheMonitorGoesOn)
{
    frmCamera* w = open(0, 1);
    {
        std::ofstream blocker(m_env.dir() / "a_file");
        blocker << "x";
    }
    veskat_test::setEnv("VESKAT_DRIVE_C", (m_env.dir() / "a_file" / "drive_c").string());
    testing::internal::CaptureStderr();
    const std::int32_t statuses[] = { 2, 1026, 2, 1026, 1028 };
    for (std::int32_t status : statuses) {
        script().status = status;
        w->tmrReconnect_Timer();
        EXPECT_EQ(w->windowTitle().toStdString(), "*Camera #1 Status:" + std::to_string(status));
        EXPECT_EQ(w->lastStatus(), status);
    }
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_THAT(script().invocations(), ElementsAre("stop", "start"));
    std::size_t reports = 0;
    for (auto pos = err.find("debug log"); pos != std::string::npos; pos = err.find("debug log", pos + 1))
        ++reports;
    EXPECT_EQ(reports, 1u) << err;
}

// --- Closing and re-entrancy during the restart pause ---------------------

TEST_F(MonitorWindow, WindowClosedDuringItsPauseGetsNoStart)
{
    QPointer<frmCamera> w = open(0, 1);
    auto record = m_factory.shared(0);
    record->status = 1025;
    QTimer::singleShot(0, m_area, [&] { w->close(); });
    w->tmrReconnect_Timer();
    EXPECT_THAT(record->invocations(), ElementsAre("stop"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(w.isNull()); // closed windows are deleted
    EXPECT_THAT(record->invocations(), ElementsAre("stop"));
}

TEST_F(MonitorWindow, WindowDestroyedDuringItsPauseIsNotTouched)
{
    QPointer<frmCamera> w = open(0, 1);
    auto record = m_factory.shared(0);
    record->status = 1031;
    QTimer::singleShot(0, m_area, [&] { delete w.data(); });
    w->tmrReconnect_Timer();
    EXPECT_TRUE(w.isNull());
    EXPECT_THAT(record->invocations(), ElementsAre("stop"));
}

TEST_F(MonitorWindow, FrameClosingAllWindowsDuringAPauseStartsNone)
{
    QPointer<frmCamera> a = open(0, 1);
    QPointer<frmCamera> b = open(1, 1);
    auto recordA = m_factory.shared(0);
    auto recordB = m_factory.shared(1);
    recordA->status = 1025;
    QTimer::singleShot(0, m_area, [&] { m_area->closeAllSubWindows(); });
    a->tmrReconnect_Timer();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(a.isNull());
    EXPECT_TRUE(b.isNull());
    EXPECT_THAT(recordA->invocations(), ElementsAre("stop"));
    EXPECT_TRUE(recordB->invocations().empty());
}

TEST_F(MonitorWindow, HiddenFrameDuringAPauseStartsNone)
{
    // "Exit" hides the frame before its windows go: a window that stopped
    // showing during its pause is not restarted.
    QPointer<frmCamera> w = open(0, 1);
    auto record = m_factory.shared(0);
    record->status = 1025;
    QTimer::singleShot(0, m_area, [&] { m_frame.hide(); });
    w->tmrReconnect_Timer();
    EXPECT_THAT(record->invocations(), ElementsAre("stop"));
}

TEST_F(MonitorWindow, OwnTickDuringItsPauseIsSkipped)
{
    frmCamera* w = open(0, 2);
    script().status = 1025;
    int readsBefore = -1;
    int readsAfter = -1;
    std::size_t callsBefore = 0;
    std::size_t callsAfter = 0;
    QTimer::singleShot(0, w, [&] {
        readsBefore = script().statusReads();
        callsBefore = script().calls.size();
        w->tmrReconnect_Timer();
        readsAfter = script().statusReads();
        callsAfter = script().calls.size();
    });
    w->tmrReconnect_Timer();
    ASSERT_GE(readsBefore, 0) << "the nested tick did not run inside the pause";
    EXPECT_EQ(readsAfter, readsBefore);
    EXPECT_EQ(callsAfter, callsBefore);
    EXPECT_THAT(script().invocations(), ElementsAre("stop", "start"));

    // The next tick after the restart runs again.
    w->tmrReconnect_Timer();
    EXPECT_THAT(script().invocations(), ElementsAre("stop", "start", "stop", "start"));
}

TEST_F(MonitorWindow, OtherWindowRestartsInsideThePauseAndFinishesFirst)
{
    frmCamera* a = open(0, 1);
    frmCamera* b = open(1, 1);
    script(0).status = 1025;
    script(1).status = 1030;
    std::vector<std::string> aWhileBRestarted;
    std::vector<std::string> bAfterItsTick;
    QTimer::singleShot(0, b, [&] {
        b->tmrReconnect_Timer();
        aWhileBRestarted = script(0).invocations();
        bAfterItsTick = script(1).invocations();
    });
    a->tmrReconnect_Timer();
    EXPECT_THAT(aWhileBRestarted, ElementsAre("stop")); // a was still in its pause
    EXPECT_THAT(bAfterItsTick, ElementsAre("stop", "start"));
    EXPECT_THAT(script(0).invocations(), ElementsAre("stop", "start"));
    EXPECT_EQ(b->windowTitle(), "*Camera #2 Status:1030");
}

TEST_F(MonitorWindow, TimerDrivesTheTick)
{
    // The window's own timer is connected to the tick.
    frmCamera* w = open(3, 1);
    script().status = 2;
    QMetaObject::invokeMethod(const_cast<QTimer*>(w->reconnectTimer()), "timeout", Qt::DirectConnection);
    EXPECT_EQ(w->windowTitle(), "*Camera #4 Status:2");
}

} // namespace
