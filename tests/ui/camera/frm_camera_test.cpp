// SPDX-License-Identifier: GPL-2.0-or-later
// The camera window through its real widgets on the offscreen platform, with
// its settings in a fresh temporary store for every test.
#include "core/seeding/module1.h"
#include "core/settings/camera_schema.h"
#include "core/settings/process_state.h"
#include "core/settings/registry_access.h"
#include "tests/support/test_env.h"
#include "tests/ui/camera/recording_media_control.h"
#include "ui/camera/frm_camera.h"
#include "ui/twips/screen_dpi.h"
#include "ui/twips/twips.h"
#include "ui/window_list/open_window_list.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMdiArea>
#include <QTimer>
#include <gmock/gmock.h>

#include <stdexcept>

namespace {

using veskat_test::invoke;
using veskat_test::MediaCall;
using veskat_test::put;
using veskat_test::RecordingMediaControl;
using namespace Veskat;
namespace Disp = media::DispId;

class CameraWindowTest : public testing::Test {
protected:
    CameraWindowTest()
        : m_factory(veskat_test::recordingFactory())
    {
        Module1::SeedSettings();
        Module1::CameraSize = 0;
    }
    ~CameraWindowTest() override
    {
        m_area.closeAllSubWindows();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Module1::CameraSize = 0;
    }

    frmCamera* open(int index) { return new frmCamera(static_cast<std::int16_t>(index), &m_area); }

    static std::vector<MediaCall> callsOf(const frmCamera* window)
    {
        const auto* control = dynamic_cast<const RecordingMediaControl*>(window->mediaControl());
        return control ? control->calls : std::vector<MediaCall> {};
    }

    static int px(double twips) { return platform::twipsToPixels(twips, platform::screenDpi().x); }
    static int py(double twips) { return platform::twipsToPixels(twips, platform::screenDpi().y); }

    veskat_test::TempEnvironment m_env;
    veskat_test::ScopedMediaFactory m_factory;
    QMdiArea m_area;
};

MATCHER_P(CallsAre, expected, "")
{
    std::vector<std::string> got;
    std::vector<std::string> want;
    for (const MediaCall& c : arg)
        got.push_back(veskat_test::describe(c));
    for (const MediaCall& c : expected)
        want.push_back(veskat_test::describe(c));
    *result_listener << "calls were:";
    for (const std::string& s : got)
        *result_listener << "\n  " << s;
    return got == want;
}

// --- The media control's set-up ---------------------------------------------

TEST_F(CameraWindowTest, ConfiguresAndStartsTheMediaControlInOrder)
{
    WriteCameraText(3, CameraValue::IPAddress, "127.0.0.1:8080");
    WriteCameraText(3, CameraValue::Username, "operator");
    WriteCameraText(3, CameraValue::Password, "s3cret");
    WriteCameraNumber(3, CameraValue::Debug, 1);

    const frmCamera* window = open(3);

    EXPECT_THAT(callsOf(window),
        CallsAre(std::vector<MediaCall> {
            put(Disp::Flag113, true),
            put(Disp::Flag117, true),
            put(Disp::Flag143, true),
            put(Disp::Flag16, true),
            put(Disp::Url, std::string("http://127.0.0.1:8080/axis-cgi/mjpg/video.cgi")),
            put(Disp::UserName, std::string("operator")),
            put(Disp::Password, std::string("s3cret")),
            put(Disp::MediaType, std::string("mjpeg")),
            put(Disp::NetworkTimeout, std::int32_t { 25000 }),
            invoke(Disp::Start),
        }));
}

TEST_F(CameraWindowTest, DebugLevelTwoAlsoSetsProperty18BeforeTheUrl)
{
    WriteCameraNumber(0, CameraValue::Debug, 2);

    const std::vector<MediaCall> calls = callsOf(open(0));

    ASSERT_GE(calls.size(), 6U);
    EXPECT_EQ(calls[4], put(Disp::Flag18, true));
    EXPECT_EQ(calls[5].dispId, Disp::Url);
    EXPECT_EQ(calls.size(), 11U);
}

struct DebugCase {
    const char* name;
    SettingValue stored;
    std::int16_t level;
    bool sets18;
};

class DebugLevelTest : public CameraWindowTest, public testing::WithParamInterface<DebugCase> { };

TEST_P(DebugLevelTest, ReadsTheLevelAndSetsProperty18AboveOne)
{
    const DebugCase& c = GetParam();
    WriteRegistryValue(HKEY_LOCAL_MACHINE, CameraKeyPath(1), CameraValue::Debug, c.stored,
        c.stored.isInteger() ? REG_DWORD : REG_SZ, kLocalMachine);

    const frmCamera* window = open(1);

    EXPECT_EQ(window->debugLevel(), c.level);
    const std::vector<MediaCall> calls = callsOf(window);
    const bool sets18 = std::find(calls.begin(), calls.end(), put(Disp::Flag18, true)) != calls.end();
    EXPECT_EQ(sets18, c.sets18);
}

INSTANTIATE_TEST_SUITE_P(Levels, DebugLevelTest,
    testing::Values(DebugCase { "zero", SettingValue::integer(0), 0, false },
        DebugCase { "one", SettingValue::integer(1), 1, false },
        DebugCase { "two", SettingValue::integer(2), 2, true },
        DebugCase { "emptyText", SettingValue::text(""), 0, false },
        DebugCase { "notANumber", SettingValue::text("loud"), 0, false },
        DebugCase { "numberAsText", SettingValue::text("3"), 3, true },
        DebugCase { "beyond16Bits", SettingValue::integer(70000), 32767, true },
        DebugCase { "negative", SettingValue::integer(-5), -5, false }),
    [](const auto& info) { return std::string(info.param.name); });

struct UrlCase {
    const char* name;
    std::string host;
    std::string url;
};

class StreamUrlTest : public CameraWindowTest, public testing::WithParamInterface<UrlCase> { };

TEST_P(StreamUrlTest, PutsTheHostIntoTheUrlAsStored)
{
    WriteCameraText(2, CameraValue::IPAddress, GetParam().host);

    const std::vector<MediaCall> calls = callsOf(open(2));

    const auto url
        = std::find_if(calls.begin(), calls.end(), [](const MediaCall& c) { return c.dispId == Disp::Url; });
    ASSERT_NE(url, calls.end());
    EXPECT_EQ(url->value, media::DispValue(GetParam().url));
}

INSTANTIATE_TEST_SUITE_P(Hosts, StreamUrlTest,
    testing::Values(UrlCase { "address", "10.1.2.3", "http://10.1.2.3/axis-cgi/mjpg/video.cgi" },
        UrlCase { "withPort", "127.0.0.1:20001", "http://127.0.0.1:20001/axis-cgi/mjpg/video.cgi" },
        UrlCase { "empty", "", "http:///axis-cgi/mjpg/video.cgi" },
        UrlCase { "untrimmed", " cam5 ", "http:// cam5 /axis-cgi/mjpg/video.cgi" },
        UrlCase { "wholeUrl", "http://cam:8081/video.mjpg?q=1", "http://cam:8081/video.mjpg?q=1" },
        UrlCase { "https", "https://cam.local/mjpg", "https://cam.local/mjpg" },
        UrlCase { "schemeInCapitals", "HTTPS://Cam/Mjpg", "HTTPS://Cam/Mjpg" },
        UrlCase { "otherScheme", "ftp://cam/x", "http://ftp://cam/x/axis-cgi/mjpg/video.cgi" }),
    [](const auto& info) { return std::string(info.param.name); });

// --- Identity, title, timer ---------------------------------------------------

TEST_F(CameraWindowTest, TakesItsIndexFromTheHandOverAndShowsThatCamerasTitle)
{
    WriteCameraText(5, CameraValue::Title, "Loading bay");
    WriteCameraText(4, CameraValue::Title, "Not this one");

    const frmCamera* window = open(5);

    EXPECT_EQ(window->ppCameraNum(), 5);
    EXPECT_EQ(window->property("ppCameraNum").toInt(), 5);
    EXPECT_EQ(window->titleLabel()->text(), QStringLiteral("Loading bay"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("*"));
    EXPECT_EQ(window->lastStatus(), 0);
}

TEST_F(CameraWindowTest, ShowsTheTitleAsPlainText)
{
    WriteCameraText(0, CameraValue::Title, "<b>Gate</b> & yard");

    const frmCamera* window = open(0);

    EXPECT_EQ(window->titleLabel()->textFormat(), Qt::PlainText);
    EXPECT_EQ(window->titleLabel()->text(), QStringLiteral("<b>Gate</b> & yard"));
}

TEST_F(CameraWindowTest, ReconnectTimerRunsEvery30Seconds)
{
    const frmCamera* window = open(0);

    EXPECT_TRUE(window->reconnectTimer()->isActive());
    EXPECT_EQ(window->reconnectTimer()->interval(), 30000);
}

TEST_F(CameraWindowTest, HasAFixedBorderWithoutMaximiseOrMinimise)
{
    frmCamera* window = open(0);
    window->show();

    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(window->windowIcon().isNull());
}

TEST_F(CameraWindowTest, JoinsTheOpenWindowListAndLeavesItWhenClosed)
{
    platform::OpenWindowList& list = platform::OpenWindowList::instance();
    const int before = list.count();

    frmCamera* window = open(7);
    ASSERT_EQ(list.count(), before + 1);
    EXPECT_EQ(list.at(before), window);
    EXPECT_EQ(list.cameraNumber(before), 7);

    window->close();
    EXPECT_EQ(list.count(), before);
}

// --- Size offset ----------------------------------------------------------------

struct SizeCase {
    const char* name;
    std::int16_t offset;
};

class SizeOffsetTest : public CameraWindowTest, public testing::WithParamInterface<SizeCase> { };

TEST_P(SizeOffsetTest, GrowsWindowPictureAndLabelByTheOffset)
{
    const int offset = GetParam().offset;
    QSize designedWindow;
    {
        frmCamera* plain = open(0);
        designedWindow = plain->size();
        plain->close();
    }
    Module1::CameraSize = GetParam().offset;

    const frmCamera* window = open(0);

    const auto width = [](double twips) { return std::max(0, px(twips)); };
    const auto height = [](double twips) { return std::max(0, py(twips)); };
    EXPECT_EQ(window->size().width() - designedWindow.width(), width(3810 + offset) - width(3810));
    EXPECT_EQ(window->size().height() - designedWindow.height(), height(3195 + offset) - height(3195));
    EXPECT_EQ(window->pictureArea()->geometry(),
        QRect(px(45), py(45), width(3705 + offset), height(2760 + offset)));
    EXPECT_EQ(window->titleLabel()->geometry(),
        QRect(px(45), py(2835 + offset), width(3705 + offset), height(330)));
}

INSTANTIATE_TEST_SUITE_P(Offsets, SizeOffsetTest,
    testing::Values(SizeCase { "none", 0 }, SizeCase { "grow600", 600 }, SizeCase { "shrink300", -300 }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CameraWindowTest, ANegativeOffsetBeyondTheDesignNeverGivesANegativeSize)
{
    Module1::CameraSize = -5000;

    const frmCamera* window = open(0);

    EXPECT_GE(window->width(), 0);
    EXPECT_GE(window->height(), 0);
    EXPECT_EQ(window->pictureArea()->size(), QSize(0, 0));
    EXPECT_EQ(window->titleLabel()->width(), 0);
    EXPECT_EQ(window->titleLabel()->y(), 0);
}

// --- Position -------------------------------------------------------------------

struct PositionCase {
    const char* name;
    SettingValue left;
    SettingValue top;
    float leftTwips;
    float topTwips;
};

class PositionTest : public CameraWindowTest, public testing::WithParamInterface<PositionCase> { };

TEST_P(PositionTest, PlacesTheWindowAtLeftAndTop)
{
    const PositionCase& c = GetParam();
    const auto write = [](const char* name, const SettingValue& v) {
        WriteRegistryValue(
            HKEY_LOCAL_MACHINE, CameraKeyPath(6), name, v, v.isInteger() ? REG_DWORD : REG_SZ, kLocalMachine);
    };
    write(CameraValue::Left, c.left);
    write(CameraValue::Top, c.top);

    const frmCamera* window = open(6);

    EXPECT_EQ(window->pos(), QPoint(px(c.leftTwips), py(c.topTwips)));
    EXPECT_FLOAT_EQ(window->leftTwips(), c.leftTwips);
    EXPECT_FLOAT_EQ(window->topTwips(), c.topTwips);
}

INSTANTIATE_TEST_SUITE_P(Values, PositionTest,
    testing::Values(
        PositionCase { "numbers", SettingValue::integer(1500), SettingValue::integer(3000), 1500, 3000 },
        PositionCase { "offGridTwips", SettingValue::integer(1000), SettingValue::integer(1003), 1000, 1003 },
        PositionCase { "negative", SettingValue::integer(-300), SettingValue::integer(-15), -300, -15 },
        PositionCase { "numbersAsText", SettingValue::text("750"), SettingValue::text(" 90 "), 750, 90 },
        PositionCase { "textThatIsNoNumber", SettingValue::text("left"), SettingValue::text("top"), 0, 0 },
        PositionCase { "emptyText", SettingValue::text(""), SettingValue::text(""), 0, 0 },
        PositionCase { "beyondFloatRange", SettingValue::text("1e300"), SettingValue::text("-1e300"), 0, 0 },
        PositionCase { "notFinite", SettingValue::text("inf"), SettingValue::text("nan"), 0, 0 }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CameraWindowTest, AMovedWindowReportsItsNewPositionInTwips)
{
    frmCamera* window = open(0);
    window->move(40, 12);

    const platform::ScreenDpi dpi = platform::screenDpi();
    EXPECT_FLOAT_EQ(window->leftTwips(), static_cast<float>(40 * 1440.0 / dpi.x));
    EXPECT_FLOAT_EQ(window->topTwips(), static_cast<float>(12 * 1440.0 / dpi.y));
}

// --- Without a media control ---------------------------------------------------

TEST_F(CameraWindowTest, AWindowWithoutMediaControlStillOpensWithItsTitle)
{
    veskat_test::ScopedMediaFactory failing([](QWidget*) -> media::MediaControl* { return nullptr; });
    WriteCameraText(0, CameraValue::Title, "Front door");

    frmCamera* window = open(0);
    window->show();

    EXPECT_EQ(window->mediaControl(), nullptr);
    EXPECT_EQ(window->titleLabel()->text(), QStringLiteral("Front door"));
    const auto* notice = qobject_cast<const QLabel*>(window->pictureArea());
    ASSERT_NE(notice, nullptr);
    EXPECT_TRUE(notice->text().contains(QStringLiteral("no media control"), Qt::CaseInsensitive));
    EXPECT_TRUE(notice->isVisibleTo(window));
    EXPECT_TRUE(window->reconnectTimer()->isActive());
}

TEST_F(CameraWindowTest, AFactoryThatThrowsCountsAsNoMediaControl)
{
    veskat_test::ScopedMediaFactory throwing(
        [](QWidget*) -> media::MediaControl* { throw std::runtime_error("not installed"); });

    const frmCamera* window = open(0);

    EXPECT_EQ(window->mediaControl(), nullptr);
    EXPECT_NE(window->pictureArea(), nullptr);
}

} // namespace
