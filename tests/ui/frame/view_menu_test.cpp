// SPDX-License-Identifier: GPL-2.0-or-later
// The frame's "View" and "Help" menus through the real windows on the
// offscreen platform, and the grid tiling chooses.
#include "core/seeding/module1.h"
#include "core/settings/camera_schema.h"
#include "core/settings/process_state.h"
#include "tests/support/test_env.h"
#include "tests/ui/camera/recording_media_control.h"
#include "ui/camera/frm_camera.h"
#include "ui/frame/about_dialog.h"
#include "ui/frame/mdi_camera_main.h"
#include "ui/frame/tile_grid.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <gmock/gmock.h>

#include <filesystem>
#include <map>
#include <memory>

namespace {

using namespace Veskat;

// --- The grid ------------------------------------------------------------------------

struct GridCase {
    const char* name;
    int count;
    QSize area;
    double aspect;
    int columns;
    int rows;
};

class TileGridTest : public testing::TestWithParam<GridCase> { };

TEST_P(TileGridTest, ChoosesTheGridWithTheLargestPictures)
{
    const GridCase& c = GetParam();
    const TileGrid grid = chooseTileGrid(c.count, c.area, QSize(10, 40), c.aspect);
    EXPECT_EQ(grid.columns, c.columns);
    EXPECT_EQ(grid.rows, c.rows);
}

INSTANTIATE_TEST_SUITE_P(Grids, TileGridTest,
    testing::Values(GridCase { "none", 0, { 1920, 1080 }, 4.0 / 3, 0, 0 },
        GridCase { "twoAboveEachOtherOnATallArea", 2, { 800, 1400 }, 4.0 / 3, 1, 2 },
        GridCase { "sevenWithOneEmptyCell", 7, { 1920, 1080 }, 4.0 / 3, 4, 2 },
        GridCase { "fourteenAt4to3On16to9", 14, { 1920, 1080 }, 4.0 / 3, 5, 3 },
        GridCase { "fourteenAt16to9On4to3", 14, { 1600, 1200 }, 16.0 / 9, 4, 4 },
        GridCase { "fourteenOnATinyArea", 14, { 40, 30 }, 4.0 / 3, 14, 1 }),
    [](const auto& info) { return std::string(info.param.name); });

// --- The frame -----------------------------------------------------------------------

// Cameras alternate between 4:3 and 16:9 pictures, so each window has its own shape.
struct ShapedMediaControl : veskat_test::RecordingMediaControl {
    using RecordingMediaControl::RecordingMediaControl;
    QSize pictureSize() const override { return picture; }
    QSize picture;
};

class ViewTest : public testing::Test {
protected:
    ViewTest()
        : m_factory([n = 0](QWidget* parent) mutable -> media::MediaControl* {
            auto* control = new ShapedMediaControl(parent);
            control->picture = n++ % 2 ? QSize(1280, 720) : QSize(640, 480);
            return control;
        })
    {
        Module1::SeedSettings();
        Module1::CameraSize = 0;
    }
    ~ViewTest() override
    {
        m_frame.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // A frame of a usual screen's size with the first `count` cameras shown.
    MDICameraMain& openFrame(int count)
    {
        for (int i = 0; i <= kMaxCameraIndex; ++i)
            WriteCameraNumber(i, CameraValue::ShowMe, i < count ? 1 : 0);
        m_frame = std::make_unique<MDICameraMain>();
        m_frame->setWindowState(Qt::WindowNoState);
        m_frame->resize(1920, 1040);
        m_frame->show();
        // The keys go to the active window.
        m_frame->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(m_frame.get()));
        return *m_frame;
    }

    std::vector<frmCamera*> cameras() const
    {
        std::vector<frmCamera*> result;
        for (QMdiSubWindow* window : m_frame->mdiArea()->subWindowList())
            result.push_back(qobject_cast<frmCamera*>(window));
        return result;
    }

    // Every camera's stored values, as text.
    static QStringList storedSettings()
    {
        QStringList values;
        for (int i = 0; i <= kMaxCameraIndex; ++i)
            for (const char* name : { CameraValue::Left, CameraValue::Top, CameraValue::ShowMe })
                values << QString::fromStdString(ReadCameraValue(i, name).toText());
        return values;
    }

    veskat_test::TempEnvironment m_env;
    veskat_test::ScopedMediaFactory m_factory;
    std::unique_ptr<MDICameraMain> m_frame;
};

class TileTest : public ViewTest, public testing::WithParamInterface<int> { };

TEST_P(TileTest, FillsTheClientAreaWithoutOverlapAndKeepsEachPicturesShape)
{
    MDICameraMain& frame = openFrame(GetParam());
    frame.tileAction()->trigger();

    const QRect area = frame.mdiArea()->viewport()->rect();
    const std::vector<frmCamera*> windows = cameras();
    ASSERT_EQ(windows.size(), static_cast<std::size_t>(GetParam()));
    QRect covered;
    for (std::size_t a = 0; a < windows.size(); ++a) {
        const QRect placed = windows[a]->geometry();
        EXPECT_TRUE(area.contains(placed)) << a;
        for (std::size_t b = a + 1; b < windows.size(); ++b)
            EXPECT_FALSE(placed.intersects(windows[b]->geometry())) << a << " and " << b;
        // Width over height as the camera's picture, to the pixel.
        const QSize shape = windows[a]->pictureShape();
        const QSize shown = windows[a]->pictureAreaSize();
        EXPECT_LE(std::abs(shown.width() * shape.height() - shown.height() * shape.width()), shape.width())
            << a;
        covered |= placed;
    }
    // The grid spans the area in the direction the pictures' shape limits.
    const int slack = 2 * static_cast<int>(windows.size()) + 16;
    EXPECT_TRUE(covered.width() >= area.width() - slack || covered.height() >= area.height() - slack)
        << covered.width() << "x" << covered.height() << " of " << area.width() << "x" << area.height();
}

INSTANTIATE_TEST_SUITE_P(Counts, TileTest, testing::Values(1, 2, 7, 14));

TEST_F(ViewTest, ArrangingWritesNothingAndCascadeGivesBackTheDesignedSize)
{
    MDICameraMain& frame = openFrame(14);
    const QStringList before = storedSettings();
    const QSize designed = cameras().front()->size();

    frame.tileAction()->trigger();
    EXPECT_NE(cameras().front()->size(), designed);
    frame.cascadeAction()->trigger();
    for (const frmCamera* camera : cameras())
        EXPECT_EQ(camera->size(), designed);
    frame.tileAction()->trigger();
    frame.setFullScreen(true);
    frame.setFullScreen(false);
    EXPECT_EQ(storedSettings(), before);

    frame.mnuSaveCameraPositions_Click(); // the arranged wall, stored on request only
    EXPECT_NE(storedSettings(), before);
}

TEST_F(ViewTest, FullScreenHidesMenuAndStatusBarAndF11OrEscapeReturnsAfterTheEnlargedCamera)
{
    MDICameraMain& frame = openFrame(2);
    for (const Qt::Key leave : { Qt::Key_F11, Qt::Key_Escape }) {
        QTest::keyClick(&frame, Qt::Key_F11);
        EXPECT_TRUE(frame.isFullScreen() && frame.menuBar()->isHidden() && frame.statusBar()->isHidden());
        EXPECT_TRUE(frame.fullScreenAction()->isChecked());

        QTest::keyClick(&frame, leave);
        EXPECT_FALSE(frame.isFullScreen() || frame.menuBar()->isHidden() || frame.statusBar()->isHidden());
        EXPECT_FALSE(frame.fullScreenAction()->isChecked());
    }
    // Inside full screen Escape returns from the enlarged camera first.
    frame.setFullScreen(true);
    frame.enlargeCamera(cameras().front());
    QTest::keyClick(&frame, Qt::Key_Escape);
    EXPECT_TRUE(frame.enlargedCamera() == nullptr && frame.isFullScreen());
}

TEST_F(ViewTest, AboutShowsEveryFactAsReadOnlyText)
{
    openFrame(1).aboutAction()->trigger();
    const AboutDialog* about = m_frame->findChild<AboutDialog*>();
    ASSERT_TRUE(about && about->isVisible());

    const auto path = [](const std::filesystem::path& p) { return QString::fromStdString(p.string()); };
    const std::map<QString, QString> expected { { "Licence", "GPL-2.0-or-later" }, { "Qt", qVersion() },
        { "Settings store", path(m_env.registryFile()) }, { "Log folder (drive C:)", path(m_env.driveC()) },
        { "Snapshot folder", path(m_env.snapshots()) }, { "Version", "" }, { "libcurl", "" },
        { "TurboJPEG", "" } };
    for (const auto& [name, value] : expected) {
        const QLineEdit* field = about->field(name);
        ASSERT_NE(field, nullptr) << name.toStdString();
        EXPECT_TRUE(field->isReadOnly());
        if (value.isEmpty()) // a version: digits and dots
            EXPECT_THAT(field->text().toStdString(), testing::MatchesRegex("[0-9]+\\.[0-9]+.*"));
        else
            EXPECT_EQ(field->text(), value);
    }
}

} // namespace
