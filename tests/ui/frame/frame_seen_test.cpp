// SPDX-License-Identifier: GPL-2.0-or-later
// The frame with two camera windows on the real media control, fed by
// veskat-testcam: a camera window wholly covered by the other, and both
// while the frame is minimised, keep playing but decode nothing; each draws
// again once it can be seen.
#include "core/seeding/module1.h"
#include "core/settings/camera_schema.h"
#include "core/settings/process_state.h"
#include "media/control/mjpeg_control.h"
#include "tests/support/test_env.h"
#include "tests/support/testcam_process.h"
#include "ui/camera/frm_camera.h"
#include "ui/frame/mdi_camera_main.h"
#include "ui/window_list/open_window_list.h"

#include <QCoreApplication>
#include <QTest>
#include <gmock/gmock.h>

#include <functional>
#include <memory>
#include <vector>

namespace {

using namespace Veskat;

constexpr int kDeadlineMs = 30000;

std::vector<frmCamera*> cameraWindows()
{
    std::vector<frmCamera*> windows;
    const platform::OpenWindowList& list = platform::OpenWindowList::instance();
    for (int k = 0; k < list.count(); ++k)
        if (auto* window = qobject_cast<frmCamera*>(list.at(k)))
            windows.push_back(window);
    return windows;
}

bool waitForStats(
    const media::MjpegControl& control, const std::function<bool(const media::MediaStats&)>& done)
{
    return QTest::qWaitFor([&] { return done(control.stats()); }, kDeadlineMs);
}

void expectDrawsAgain(const media::MjpegControl& control)
{
    const std::uint64_t drawn = control.stats().drawn;
    EXPECT_TRUE(waitForStats(control, [&](const media::MediaStats& s) { return s.drawn >= drawn + 3; }));
}

// Ten more parts arrive once the control counts parts as unseen, and none is decoded.
void expectDecodesNothing(const media::MjpegControl& control)
{
    const std::uint64_t unseen = control.stats().unseen;
    ASSERT_TRUE(waitForStats(control, [&](const media::MediaStats& s) { return s.unseen >= unseen + 2; }));
    const media::MediaStats before = control.stats();
    ASSERT_TRUE(waitForStats(
        control, [&](const media::MediaStats& s) { return s.received >= before.received + 10; }));
    EXPECT_EQ(control.stats().decoded, before.decoded);
    EXPECT_EQ(control.status(), media::Status::Playing);
}

TEST(FrameSeen, CoveredAndMinimisedCameraWindowsDecodeNothingAndDrawAgainWhenSeen)
{
    veskat_test::TempEnvironment env;
    veskat_test::TestcamProcess camera(2, { "--size", "320x240", "--fps", "25" });
    ASSERT_TRUE(camera.started());
    Module1::SeedSettings();
    Module1::CameraSize = 0;
    for (int i = 0; i <= kMaxCameraIndex; ++i)
        WriteCameraNumber(i, CameraValue::ShowMe, i < 2 ? 1 : 0);
    for (int i = 0; i < 2; ++i) {
        WriteCameraText(i, CameraValue::IPAddress, camera.hostPort(i).toStdString());
        WriteCameraNumber(i, CameraValue::Left, i * 6000);
        WriteCameraNumber(i, CameraValue::Top, 0);
    }

    auto owned = std::make_unique<MDICameraMain>();
    MDICameraMain& frame = *owned;
    frame.resize(1000, 700);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    const std::vector<frmCamera*> windows = cameraWindows();
    ASSERT_EQ(windows.size(), 2u);
    std::vector<media::MjpegControl*> controls;
    for (frmCamera* window : windows)
        controls.push_back(qobject_cast<media::MjpegControl*>(window->mediaControl()));
    ASSERT_TRUE(controls[0] && controls[1]);
    for (media::MjpegControl* control : controls)
        ASSERT_TRUE(waitForStats(*control, [](const media::MediaStats& s) { return s.drawn >= 2; }));

    // The second window, stacked above, onto the first.
    frmCamera* first = windows[0];
    frmCamera* second = windows[1];
    second->move(first->pos());
    second->raise();
    expectDecodesNothing(*controls[0]);
    expectDrawsAgain(*controls[1]);

    frame.showMinimized();
    expectDecodesNothing(*controls[0]);
    expectDecodesNothing(*controls[1]);

    frame.showNormal();
    expectDrawsAgain(*controls[1]);
    second->move(first->pos() + QPoint(first->width() + 10, 0));
    expectDrawsAgain(*controls[0]);

    owned.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace
