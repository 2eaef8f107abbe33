// One camera enlarged over the client area, and the frame's status bar,
// through the real windows on the offscreen platform.
#include "app/module1.h"
#include "camera/frm_camera.h"
#include "frame/camera_wall_status.h"
#include "frame/enlarged_camera_view.h"
#include "frame/mdi_camera_main.h"
#include "platform/media/mjpeg_control.h"
#include "settings/camera_schema.h"
#include "settings/process_state.h"
#include "tests/camera/recording_media_control.h"
#include "tests/support/test_env.h"
#include "tests/support/testcam_process.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMdiArea>
#include <QTest>
#include <gmock/gmock.h>

#include <memory>

namespace {

using namespace Veskat;

class WallTest : public testing::Test {
protected:
    explicit WallTest(camera::MediaControlFactory factory = veskat_test::recordingFactory())
        : m_factory(std::move(factory))
    {
        Module1::SeedSettings();
        Module1::CameraSize = 0;
        // Three windows side by side: a covered picture is never drawn.
        for (int i = 0; i <= kMaxCameraIndex; ++i) {
            WriteCameraNumber(i, CameraValue::ShowMe, i < 3 ? 1 : 0);
            WriteCameraNumber(i, CameraValue::Left, i * 3900);
            WriteCameraNumber(i, CameraValue::Top, 0);
        }
    }
    ~WallTest() override
    {
        m_frame.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    MDICameraMain& frame()
    {
        if (!m_frame) {
            m_frame = std::make_unique<MDICameraMain>();
            m_frame->show();
            m_frame->activateWindow();
        }
        return *m_frame;
    }

    std::vector<frmCamera*> cameras()
    {
        std::vector<frmCamera*> result;
        for (QMdiSubWindow* w : frame().mdiArea()->subWindowList(QMdiArea::CreationOrder))
            result.push_back(qobject_cast<frmCamera*>(w));
        return result;
    }

    struct Wall {
        std::vector<QRect> geometries;
        QList<QMdiSubWindow*> stacking;
        bool operator==(const Wall&) const = default;
    };
    Wall wall()
    {
        Wall w;
        for (frmCamera* camera : cameras())
            w.geometries.push_back(camera->geometry());
        w.stacking = frame().mdiArea()->subWindowList(QMdiArea::StackingOrder);
        return w;
    }

    veskat_test::TempEnvironment m_env;
    veskat_test::ScopedMediaFactory m_factory;
    std::unique_ptr<MDICameraMain> m_frame;
};

TEST_F(WallTest, DoubleClickShowsOneCameraOverTheWholeClientAreaAndEscapeBringsTheWallBack)
{
    frmCamera* camera = cameras().at(1);
    cameras().at(0)->move(300, 40);
    frame().mdiArea()->setActiveSubWindow(camera);
    QWidget* picture = camera->pictureArea();
    const QRect pictureBefore = picture->geometry();
    const Wall before = wall();

    QTest::mouseDClick(picture, Qt::LeftButton);

    ASSERT_EQ(frame().enlargedCamera(), camera);
    EnlargedCameraView* view = frame().enlargedView();
    EXPECT_TRUE(view->isVisible());
    EXPECT_EQ(view->geometry(), frame().mdiArea()->geometry());
    EXPECT_TRUE(view->isAncestorOf(picture));
    // Drawn bigger, so the control's picture area (and its decode size) follows.
    EXPECT_EQ(picture->width(), view->width());
    EXPECT_GT(picture->height(), view->height() / 2);
    EXPECT_EQ(wall(), before);

    QTest::keyClick(view, Qt::Key_Escape);

    EXPECT_EQ(frame().enlargedCamera(), nullptr);
    EXPECT_FALSE(view->isVisible());
    EXPECT_EQ(picture->parentWidget(), camera->widget());
    EXPECT_EQ(picture->geometry(), pictureBefore);
    EXPECT_EQ(wall(), before);
    EXPECT_EQ(frame().mdiArea()->activeSubWindow(), camera);
}

TEST_F(WallTest, EnterInTheActiveWindowEnlargesAndADoubleClickReturns)
{
    frmCamera* camera = cameras().at(2);
    frame().mdiArea()->setActiveSubWindow(camera);

    QTest::keyClick(camera, Qt::Key_Return);
    ASSERT_EQ(frame().enlargedCamera(), camera);

    QTest::mouseDClick(camera->pictureArea(), Qt::LeftButton);
    EXPECT_EQ(frame().enlargedCamera(), nullptr);
}

TEST_F(WallTest, TheMonitorShowsTheStatusAndRestartsWhileEnlarged)
{
    frmCamera* camera = cameras().at(0);
    auto* control = dynamic_cast<veskat_test::RecordingMediaControl*>(camera->mediaControl());
    ASSERT_NE(control, nullptr);
    frame().enlargeCamera(camera);
    control->status = 1025;
    control->calls.clear();

    camera->tmrReconnect_Timer(); // monitoring level 1 as seeded

    EXPECT_EQ(camera->windowTitle(), QStringLiteral("*Camera #1 Status:1025"));
    EXPECT_TRUE(frame().enlargedView()->findChild<QLabel*>()->text().startsWith(camera->windowTitle()));
    ASSERT_GE(control->calls.size(), 2U);
    EXPECT_EQ(control->calls[control->calls.size() - 2], veskat_test::invoke(media::DispId::Stop));
    EXPECT_EQ(control->calls.back(), veskat_test::invoke(media::DispId::Start));
    EXPECT_EQ(frame().enlargedCamera(), camera);
}

TEST_F(WallTest, SavingPositionsWhileEnlargedSavesTheWall)
{
    frmCamera* camera = cameras().at(0);
    camera->move(150, 60);
    const SettingValue expectedLeft
        = SettingValue::integer(static_cast<std::int32_t>(std::lround(camera->leftTwips())));
    frame().enlargeCamera(camera);

    frame().mnuSaveCameraPositions_Click();

    EXPECT_EQ(ReadCameraValue(0, CameraValue::Left), expectedLeft);
    EXPECT_EQ(ReadCameraValue(1, CameraValue::Left), SettingValue::integer(3900));
}

TEST_F(WallTest, ReloadWhileEnlargedReturnsToTheNewWall)
{
    frame().enlargeCamera(cameras().at(0));

    frame().mnuReload_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    EXPECT_EQ(frame().enlargedCamera(), nullptr);
    EXPECT_FALSE(frame().enlargedView()->isVisible());
    EXPECT_EQ(cameras().size(), 3U);
}

// --- The status bar, with the real media control --------------------------------------

class StatusBarTest : public WallTest {
protected:
    StatusBarTest()
        : WallTest({})
    {
    }
};

TEST_F(StatusBarTest, CountsPlayingAndFailingCamerasAndNamesTheFailingOnHover)
{
    veskat_test::TestcamProcess testcam(2);
    ASSERT_TRUE(testcam.started());
    WriteCameraText(0, CameraValue::IPAddress, testcam.hostPort(0).toStdString());
    WriteCameraText(1, CameraValue::IPAddress, testcam.hostPort(1).toStdString());
    WriteCameraText(2, CameraValue::Title, "Loading dock"); // still at 0.0.0.0
    CameraWallStatus* status = frame().wallStatus();

    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            status->refresh();
            return status->playingLabel()->text() == QStringLiteral("2 of 3 cameras playing");
        },
        20000))
        << status->playingLabel()->text().toStdString();
    EXPECT_EQ(status->failingLabel()->text(), QStringLiteral("1 failing"));
    EXPECT_EQ(status->failingLabel()->toolTip(),
        QStringLiteral(
            "Loading dock: Camera not reachable \u2014 retrying (No camera address set: File, Configure "
            "Cameras)"));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            status->refresh();
            return status->rateLabel()->text() != QStringLiteral("0 pictures/s");
        },
        20000));
    EXPECT_TRUE(status->rateLabel()->text().endsWith(QStringLiteral(" pictures/s")));
}

} // namespace
