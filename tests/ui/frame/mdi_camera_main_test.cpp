// SPDX-License-Identifier: GPL-2.0-or-later
// The main frame through its real windows on the offscreen platform, with the
// settings in a fresh temporary store for every test.
#include "core/seeding/module1.h"
#include "core/settings/camera_schema.h"
#include "core/settings/process_state.h"
#include "core/settings/registry_access.h"
#include "tests/support/test_env.h"
#include "tests/ui/camera/recording_media_control.h"
#include "ui/camera/frm_camera.h"
#include "ui/frame/mdi_camera_main.h"
#include "ui/twips/screen_dpi.h"
#include "ui/window_list/open_window_list.h"

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <gmock/gmock.h>

#include <memory>

namespace {

using namespace Veskat;
using platform::OpenWindowList;

void processDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class FrameTest : public testing::Test {
protected:
    FrameTest()
        : m_factory(veskat_test::recordingFactory())
    {
        Module1::SeedSettings();
        Module1::CameraSize = 0;
    }
    ~FrameTest() override
    {
        m_frame.reset();
        processDeferredDeletes();
        Module1::CameraSize = 0;
    }

    MDICameraMain& frame()
    {
        if (!m_frame)
            m_frame = std::make_unique<MDICameraMain>();
        return *m_frame;
    }

    // The camera windows of the open-window list, in list order.
    static std::vector<frmCamera*> cameraWindows()
    {
        std::vector<frmCamera*> windows;
        const OpenWindowList& list = OpenWindowList::instance();
        for (int k = 0; k < list.count(); ++k)
            if (auto* w = qobject_cast<frmCamera*>(list.at(k)))
                windows.push_back(w);
        return windows;
    }

    static QStringList captions(const std::vector<frmCamera*>& windows)
    {
        QStringList result;
        for (const frmCamera* w : windows)
            result << w->windowTitle();
        return result;
    }

    static void showOnly(std::initializer_list<int> shown)
    {
        for (int i = 0; i <= kMaxCameraIndex; ++i)
            WriteCameraNumber(i, CameraValue::ShowMe, 0);
        for (int i : shown)
            WriteCameraNumber(i, CameraValue::ShowMe, 1);
    }

    veskat_test::TempEnvironment m_env;
    veskat_test::ScopedMediaFactory m_factory;
    std::unique_ptr<MDICameraMain> m_frame;
};

QStringList allCaptions()
{
    QStringList expected;
    for (int i = 1; i <= 14; ++i)
        expected << QStringLiteral("*Camera #%1").arg(i);
    return expected;
}

// --- Opening the camera windows ----------------------------------------------------

TEST_F(FrameTest, OpensOneWindowPerCameraInIndexOrder)
{
    frame();

    const std::vector<frmCamera*> windows = cameraWindows();
    EXPECT_EQ(captions(windows), allCaptions());
    for (std::size_t i = 0; i < windows.size(); ++i)
        EXPECT_EQ(windows[i]->ppCameraNum(), static_cast<int>(i));
    EXPECT_EQ(frame().mdiArea()->subWindowList().size(), 14);
}

TEST_F(FrameTest, TheFrameIsFirstInTheOpenWindowList)
{
    const OpenWindowList& list = OpenWindowList::instance();
    frame();

    ASSERT_EQ(list.count(), 15);
    EXPECT_EQ(list.at(0), &frame());
    EXPECT_EQ(list.caption(0), QStringLiteral("Veskat Camera Overview (version 1.3)"));
    EXPECT_FALSE(list.cameraNumber(0).has_value());
}

struct ShowMeCase {
    const char* name;
    SettingValue showMe;
    bool opens;
};

class ShowMeTest : public FrameTest, public testing::WithParamInterface<ShowMeCase> { };

TEST_P(ShowMeTest, OnlyShowMeOneOpensAWindowAndTheNextCameraKeepsItsIndex)
{
    WriteRegistryValue(HKEY_LOCAL_MACHINE, CameraKeyPath(3), CameraValue::ShowMe, GetParam().showMe,
        GetParam().showMe.isInteger() ? REG_DWORD : REG_SZ, kLocalMachine);
    WriteCameraText(4, CameraValue::Title, "Camera five's own title");
    frame();

    const std::vector<frmCamera*> windows = cameraWindows();
    QStringList expected = allCaptions();
    if (!GetParam().opens)
        expected.removeAt(3);
    EXPECT_EQ(captions(windows), expected);
    const auto five = std::find_if(
        windows.begin(), windows.end(), [](const frmCamera* w) { return w->windowTitle() == "*Camera #5"; });
    ASSERT_NE(five, windows.end());
    EXPECT_EQ((*five)->ppCameraNum(), 4);
    EXPECT_EQ((*five)->titleLabel()->text(), QStringLiteral("Camera five's own title"));
}

INSTANTIATE_TEST_SUITE_P(Values, ShowMeTest,
    testing::Values(ShowMeCase { "one", SettingValue::integer(1), true },
        ShowMeCase { "zero", SettingValue::integer(0), false },
        ShowMeCase { "two", SettingValue::integer(2), false },
        ShowMeCase { "emptyText", SettingValue::text(""), false }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FrameTest, CamerasWithoutMediaControlStillGetTheirWindows)
{
    veskat_test::ScopedMediaFactory failing([](QWidget*) -> media::MediaControl* { return nullptr; });
    frame();

    const std::vector<frmCamera*> windows = cameraWindows();
    EXPECT_EQ(captions(windows), allCaptions());
    EXPECT_EQ(windows.front()->titleLabel()->text(), QStringLiteral("Camera #1"));
}

// --- Reload ---------------------------------------------------------------------------

TEST_F(FrameTest, ReloadTwiceLeavesExactlyOneWindowPerShownCamera)
{
    showOnly({ 0, 2, 13 });
    frame();

    frame().mnuReload_Click();
    frame().mnuReload_Click();
    processDeferredDeletes();

    EXPECT_EQ(captions(cameraWindows()),
        (QStringList {
            QStringLiteral("*Camera #1"), QStringLiteral("*Camera #3"), QStringLiteral("*Camera #14") }));
    EXPECT_EQ(frame().mdiArea()->subWindowList().size(), 3);
}

TEST_F(FrameTest, ReloadTakesChangedSettingsAndTheNewSizeOffset)
{
    showOnly({ 1 });
    frame();
    const QSize before = cameraWindows().front()->size();

    showOnly({ 1, 5 });
    WriteRegistryValue(HKEY_LOCAL_MACHINE, kSettingsRootPath, kCameraSizeValue, SettingValue::integer(600),
        REG_DWORD, kLocalMachine);
    frame().mnuReload_Click();
    processDeferredDeletes();

    EXPECT_EQ(Module1::CameraSize, 600);
    const std::vector<frmCamera*> windows = cameraWindows();
    ASSERT_EQ(windows.size(), 2U);
    EXPECT_GT(windows.front()->width(), before.width());
    EXPECT_EQ(windows.back()->ppCameraNum(), 5);
}

TEST_F(FrameTest, ReloadLeavesWindowsWithoutAStarAlone)
{
    showOnly({ 0 });
    frame();
    QWidget other;
    other.setWindowTitle(QStringLiteral("Camera Configuration"));
    OpenWindowList::instance().add(&other);
    other.show();

    frame().mnuReload_Click();
    processDeferredDeletes();

    EXPECT_TRUE(other.isVisible());
    EXPECT_EQ(OpenWindowList::instance().at(1), &other);
    EXPECT_EQ(cameraWindows().size(), 1U);
}

// --- Save Camera positions ------------------------------------------------------------

class SavePositionsTest : public FrameTest {
protected:
    static std::int32_t twips(int pixels, double dpi)
    {
        return static_cast<std::int32_t>(std::lround(pixels * 1440.0 / dpi));
    }

    void moveAndSave(bool withOtherWindowLast)
    {
        showOnly({ 0, 4, 9 });
        frame();
        QWidget other;
        if (withOtherWindowLast) {
            other.setWindowTitle(QStringLiteral("Camera Configuration"));
            OpenWindowList::instance().add(&other);
        }
        const std::vector<frmCamera*> windows = cameraWindows();
        ASSERT_EQ(windows.size(), 3U);
        for (std::size_t n = 0; n < windows.size(); ++n)
            windows[n]->move(10 + 100 * static_cast<int>(n), 7 + 50 * static_cast<int>(n));

        frame().mnuSaveCameraPositions_Click();
    }

    static void expectSaved(int index, int xPixels, int yPixels)
    {
        const platform::ScreenDpi dpi = platform::screenDpi();
        const SettingValue left = ReadCameraValue(index, CameraValue::Left);
        const SettingValue top = ReadCameraValue(index, CameraValue::Top);
        // An Integer reads back only from a REG_DWORD.
        EXPECT_TRUE(left.isInteger());
        EXPECT_TRUE(top.isInteger());
        EXPECT_EQ(left, SettingValue::integer(twips(xPixels, dpi.x))) << "camera " << index;
        EXPECT_EQ(top, SettingValue::integer(twips(yPixels, dpi.y))) << "camera " << index;
    }
};

TEST_F(SavePositionsTest, WritesEveryWindowsPositionIntoItsOwnCamera)
{
    moveAndSave(false);

    expectSaved(0, 10, 7);
    expectSaved(4, 110, 57);
    expectSaved(9, 210, 107);
    EXPECT_EQ(ReadCameraValue(1, CameraValue::Top), SettingValue::integer(750)); // not shown: untouched
}

TEST_F(SavePositionsTest, AWindowThatIsNoCameraWindowIsSkipped)
{
    moveAndSave(true);

    expectSaved(0, 10, 7);
    expectSaved(4, 110, 57);
    expectSaved(9, 210, 107);
}

TEST_F(SavePositionsTest, AnUnmovedWindowKeepsItsStoredTwipsExactly)
{
    showOnly({ 2 });
    WriteCameraNumber(2, CameraValue::Left, 1003);
    WriteCameraNumber(2, CameraValue::Top, 1501);
    frame();

    frame().SaveMachineDisplayLocations();

    EXPECT_EQ(ReadCameraValue(2, CameraValue::Left), SettingValue::integer(1003));
    EXPECT_EQ(ReadCameraValue(2, CameraValue::Top), SettingValue::integer(1501));
}

// --- Exit -----------------------------------------------------------------------------

TEST_F(FrameTest, ExitClosesTheFrameAndItsWindowsWithoutSavingPositions)
{
    showOnly({ 0, 1 });
    frame().show();
    cameraWindows().front()->move(200, 200);

    frame().mnuExit_Click();
    processDeferredDeletes();

    EXPECT_FALSE(frame().isVisible());
    EXPECT_TRUE(cameraWindows().empty());
    EXPECT_EQ(ReadCameraValue(0, CameraValue::Left), SettingValue::integer(1000));
    EXPECT_EQ(ReadCameraValue(0, CameraValue::Top), SettingValue::integer(500));
}

// --- The window and its menu ---------------------------------------------------------

TEST_F(FrameTest, IsTheMaximisedOverviewWindow)
{
    frame();

    EXPECT_EQ(frame().windowTitle(), QStringLiteral("Veskat Camera Overview (version 1.3)"));
    EXPECT_TRUE(frame().windowState() & Qt::WindowMaximized);
    EXPECT_FALSE(frame().windowIcon().isNull());
    EXPECT_FALSE(frame().windowIcon().pixmap(32, 32).isNull());
}

TEST_F(FrameTest, FileMenuHoldsItsFourItemsThenTheOpenWindows)
{
    showOnly({ 0, 3 });
    frame();
    QMenu* file = frame().fileMenu();
    ASSERT_EQ(frame().menuBar()->actions().size(), 3); // File, View, Help
    EXPECT_EQ(frame().menuBar()->actions().front()->text(), QStringLiteral("File"));

    emit file->aboutToShow();
    emit file->aboutToShow(); // rebuilt, not appended twice

    QStringList texts;
    for (const QAction* action : file->actions()) {
        texts << action->text();
        EXPECT_FALSE(action->isSeparator());
        EXPECT_TRUE(action->shortcut().isEmpty());
    }
    EXPECT_EQ(texts,
        (QStringList { "Configure Cameras", "Save Camera positions", "Reload Cameras", "Exit", "*Camera #1",
            "*Camera #4" }));
}

TEST_F(FrameTest, ChoosingAWindowInTheMenuActivatesIt)
{
    showOnly({ 0, 3 });
    frame().show();
    QMenu* file = frame().fileMenu();
    emit file->aboutToShow();

    file->actions().at(5)->trigger();

    ASSERT_NE(frame().mdiArea()->activeSubWindow(), nullptr);
    EXPECT_EQ(frame().mdiArea()->activeSubWindow()->windowTitle(), QStringLiteral("*Camera #4"));
}

TEST_F(FrameTest, AmpersandsInCaptionsShowLiterallyInTheWindowList)
{
    showOnly({ 0 });
    frame();
    cameraWindows().front()->setCaption("*Gate & Yard");

    emit frame().fileMenu()->aboutToShow();

    EXPECT_EQ(frame().fileMenu()->actions().at(4)->text(), QStringLiteral("*Gate && Yard"));
}

} // namespace
