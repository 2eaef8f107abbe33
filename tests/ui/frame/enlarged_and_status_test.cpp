// SPDX-License-Identifier: GPL-2.0-or-later
// One camera enlarged over the client area, and the frame's status bar,
// through the real windows on the offscreen platform.
#include "core/seeding/module1.h"
#include "core/settings/camera_schema.h"
#include "core/settings/process_state.h"
#include "tests/support/test_env.h"
#include "tests/support/testcam_process.h"
#include "tests/ui/camera/recording_media_control.h"
#include "ui/camera/frm_camera.h"
#include "ui/camera/plain_text.h"
#include "ui/frame/camera_wall_status.h"
#include "ui/frame/enlarged_camera_view.h"
#include "ui/frame/mdi_camera_main.h"

#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QMdiArea>
#include <QTest>
#include <QTextDocument>
#include <gmock/gmock.h>

namespace {

using namespace Veskat;

// What a tooltip (or a label in Qt's automatic format) shows of `text`.
QString shownText(const QString& text)
{
    if (!Qt::mightBeRichText(text))
        return text;
    QTextDocument document;
    document.setHtml(text);
    return document.toPlainText();
}

// Shows `widget`'s tooltip as hovering does; what the tip shows, or "" without one.
QString hoverTip(QWidget* widget)
{
    QHelpEvent hover(QEvent::ToolTip, QPoint(2, 2), widget->mapToGlobal(QPoint(2, 2)));
    QCoreApplication::sendEvent(widget, &hover);
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->inherits("QTipLabel") && window->isVisible())
            return shownText(static_cast<QLabel*>(window)->text());
    return {};
}

// Three camera windows side by side (a covered picture is never drawn).
class WallTest : public testing::Test {
protected:
    explicit WallTest(camera::MediaControlFactory factory = veskat_test::recordingFactory())
        : m_factory(std::move(factory))
    {
        Module1::SeedSettings();
        Module1::CameraSize = 0;
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
        }
        return *m_frame;
    }
    frmCamera* camera(int n) { return qobject_cast<frmCamera*>(frame().mdiArea()->subWindowList().at(n)); }

    // Every window's geometry, in stacking order.
    std::vector<QRect> wall()
    {
        std::vector<QRect> geometries;
        for (const QMdiSubWindow* w : frame().mdiArea()->subWindowList(QMdiArea::StackingOrder))
            geometries.push_back(w->geometry());
        return geometries;
    }

    veskat_test::TempEnvironment m_env;
    veskat_test::ScopedMediaFactory m_factory;
    std::unique_ptr<MDICameraMain> m_frame;
};

TEST_F(WallTest, DoubleClickShowsOneCameraOverTheClientAreaAndEscapeBringsTheWallBack)
{
    frame().mdiArea()->setActiveSubWindow(camera(1));
    QWidget* picture = camera(1)->pictureArea();
    const QRect pictureBefore = picture->geometry();
    const std::vector<QRect> before = wall();

    QTest::mouseDClick(picture, Qt::LeftButton);

    EnlargedCameraView* view = frame().enlargedView();
    ASSERT_EQ(frame().enlargedCamera(), camera(1));
    EXPECT_EQ(view->geometry(), frame().mdiArea()->geometry());
    EXPECT_TRUE(view->isVisible() && view->isAncestorOf(picture));
    // Drawn this large, the control decodes this large (its area follows its size).
    EXPECT_EQ(picture->width(), view->width());
    EXPECT_EQ(wall(), before);

    QTest::keyClick(view, Qt::Key_Escape);

    EXPECT_EQ(frame().enlargedCamera(), nullptr);
    EXPECT_FALSE(view->isVisible());
    EXPECT_EQ(picture->geometry(), pictureBefore);
    EXPECT_EQ(wall(), before);
    EXPECT_EQ(frame().mdiArea()->activeSubWindow(), camera(1));
}

TEST_F(WallTest, EnterInTheActiveWindowEnlargesAndADoubleClickReturns)
{
    frame().mdiArea()->setActiveSubWindow(camera(2));
    QTest::keyClick(camera(2), Qt::Key_Return);
    ASSERT_EQ(frame().enlargedCamera(), camera(2));

    QTest::mouseDClick(camera(2)->pictureArea(), Qt::LeftButton);
    EXPECT_EQ(frame().enlargedCamera(), nullptr);
}

TEST_F(WallTest, WhileEnlargedTheMonitorGoesOnAndPositionsSavedAreTheWalls)
{
    auto* control = dynamic_cast<veskat_test::RecordingMediaControl*>(camera(0)->mediaControl());
    camera(0)->move(150, 60);
    const auto left = static_cast<std::int32_t>(std::lround(camera(0)->leftTwips()));
    frame().enlargeCamera(camera(0));
    control->status = 1025;
    control->calls.clear();

    camera(0)->tmrReconnect_Timer(); // monitoring level 1, as seeded
    frame().mnuSaveCameraPositions_Click();

    EXPECT_EQ(camera(0)->windowTitle(), QStringLiteral("*Camera #1 Status:1025"));
    EXPECT_TRUE(frame().enlargedView()->findChild<QLabel*>()->text().startsWith(camera(0)->windowTitle()));
    ASSERT_GE(control->calls.size(), 2U);
    EXPECT_EQ(control->calls.back(), veskat_test::invoke(media::DispId::Start)); // after stop and the pause
    EXPECT_EQ(ReadCameraValue(0, CameraValue::Left), SettingValue::integer(left));
    EXPECT_EQ(ReadCameraValue(1, CameraValue::Left), SettingValue::integer(3900));
}

TEST_F(WallTest, ReloadWhileEnlargedReturnsToTheNewWall)
{
    frame().enlargeCamera(camera(0));

    frame().mnuReload_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    EXPECT_EQ(frame().enlargedCamera(), nullptr);
    EXPECT_FALSE(frame().enlargedView()->isVisible());
    EXPECT_EQ(frame().mdiArea()->subWindowList().size(), 3);
}

class StatusBarTest : public WallTest {
protected:
    StatusBarTest()
        : WallTest({}) // the real media control
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
    const auto refreshedUntil
        = [&](const auto& done) { return QTest::qWaitFor([&] { return status->refresh(), done(); }, 20000); };

    EXPECT_TRUE(refreshedUntil([&] { return status->playingLabel()->text() == "2 of 3 cameras playing"; }));
    EXPECT_EQ(status->failingLabel()->text(), QStringLiteral("1 failing"));
    EXPECT_EQ(status->failingLabel()->toolTip(),
        QStringLiteral("Loading dock: Camera not reachable \u2014 retrying (No camera address set: File, "
                       "Configure Cameras)"));
    EXPECT_TRUE(refreshedUntil([&] { return status->rateLabel()->text() != "0 pictures/s"; }));
}

// A camera's words and the settings' are plain text, whatever they look like:
// the title and the address (an invalid one is the status detail) of each camera.
TEST_F(StatusBarTest, TitlesAndDetailsAreShownAsTheyAreWritten)
{
    const QString hostile[] = { QStringLiteral("<b>x</b>"), QStringLiteral("<img src=/some/file>"),
        QStringLiteral("<table><tr><td>").repeated(4000) };
    for (int i = 0; i < 3; ++i) {
        WriteCameraText(i, CameraValue::Title, hostile[i].toStdString());
        WriteCameraText(i, CameraValue::IPAddress, hostile[i].toStdString());
    }
    CameraWallStatus* status = frame().wallStatus();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return status->refresh(), status->failingLabel()->text() == "3 failing"; }));

    const QString barTip = shownText(status->failingLabel()->toolTip());
    // Rendered as rich text the tip would show "x", an image or empty cells.
    const auto shows = [](const QString& shown, const QString& part) {
        return shown.contains(part)
            ? testing::AssertionSuccess()
            : testing::AssertionFailure() << "shown: " << shown.left(120).toStdString();
    };
    for (int i = 0; i < 3; ++i) {
        const QString title = hostile[i].left(camera::kMaxShownTitleLength);
        const QString detail = camera(i)->statusReport()->detail;
        EXPECT_EQ(camera(i)->titleLabel()->text(), title);
        EXPECT_TRUE(shows(detail, hostile[i].left(100)));
        ASSERT_TRUE(shows(barTip, title + QStringLiteral(": ")));
        ASSERT_TRUE(shows(barTip, detail));
        ASSERT_TRUE(shows(shownText(camera(i)->statusToolTip()), detail));
        EXPECT_EQ(hoverTip(camera(i)->pictureArea()), shownText(camera(i)->statusToolTip()));
    }
    EXPECT_EQ(hoverTip(status->failingLabel()), barTip);
}

} // namespace
