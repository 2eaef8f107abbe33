// SPDX-License-Identifier: GPL-2.0-or-later
// Start, stop, restart and destruction of the control, its properties, the
// many-windows-on-one-camera case, and what it draws.
#include "media/mjpeg/host_lookup.h"
#include "tests/media/control/control_fixture.h"
#include "tests/media/control/loopback_servers.h"
#include "tests/media/control/test_pictures.h"
#include "tests/support/testcam_process.h"

#include <QCoreApplication>
#include <QImage>
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <vector>

namespace {

using media_test::configure;
using media_test::makeControl;
using media_test::statusOf;
using media_test::waitForStatus;
using veskat_test::TestcamProcess;

TEST(Properties, WhatTheWindowPutsReadsBack)
{
    auto control = makeControl();
    ASSERT_TRUE(control);
    for (int id : { media::DispId::Flag113, media::DispId::Flag117, media::DispId::Flag143,
             media::DispId::Flag16, media::DispId::Flag18 }) {
        control->putProperty(id, true);
        EXPECT_EQ(control->getProperty(id), media::DispValue(true)) << id;
    }
    configure(*control, QStringLiteral("http://cam/axis-cgi/mjpg/video.cgi"), QStringLiteral("root"),
        QStringLiteral("secret"), 25000);
    EXPECT_EQ(control->getProperty(media::DispId::Url),
        media::DispValue(std::string("http://cam/axis-cgi/mjpg/video.cgi")));
    EXPECT_EQ(control->getProperty(media::DispId::UserName), media::DispValue(std::string("root")));
    EXPECT_EQ(control->getProperty(media::DispId::Password), media::DispValue(std::string("secret")));
    EXPECT_EQ(control->getProperty(media::DispId::MediaType), media::DispValue(std::string("mjpeg")));
    EXPECT_EQ(control->getProperty(media::DispId::NetworkTimeout), media::DispValue(std::int32_t { 25000 }));
}

TEST(Properties, StatusIsReadOnlyAndStartsStopped)
{
    auto control = makeControl();
    EXPECT_EQ(statusOf(*control), media::Status::Stopped);
    control->putProperty(media::DispId::Status, std::int32_t { 2 });
    EXPECT_EQ(statusOf(*control), media::Status::Stopped);
}

TEST(Stop, WhileAConnectionHangsReturnsAndStops)
{
    media_test::LoopbackServer server(media_test::LoopbackServer::Behaviour::Silent);
    ASSERT_TRUE(server.listening());
    auto control = makeControl();
    configure(*control, server.url());
    control->invoke(media::DispId::Start);
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.connections() >= 1; }, media_test::kDeadlineMs));
    control->invoke(media::DispId::Stop);
    EXPECT_EQ(statusOf(*control), media::Status::Stopped);
    // Late news of the dropped connection, posted before the camera saw it
    // closed, must not revive it.
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.closedByClient() >= 1; }, media_test::kDeadlineMs));
    QCoreApplication::processEvents();
    EXPECT_EQ(statusOf(*control), media::Status::Stopped);
}

TEST(Stop, PlayingStreamStopsAndStartsAgain)
{
    TestcamProcess camera;
    ASSERT_TRUE(camera.started());
    auto control = makeControl();
    configure(*control, camera.url());
    control->invoke(media::DispId::Start);
    ASSERT_TRUE(waitForStatus(*control, media::Status::Playing));
    control->invoke(media::DispId::Stop);
    EXPECT_EQ(statusOf(*control), media::Status::Stopped);
    const std::uint64_t received = control->stats().received;
    QTest::qWait(500);
    EXPECT_EQ(statusOf(*control), media::Status::Stopped);
    // At most what was already in flight arrives after the stop.
    EXPECT_LE(control->stats().received, received + 2);

    control->invoke(media::DispId::Start);
    EXPECT_TRUE(waitForStatus(*control, media::Status::Playing));
}

TEST(Stop, StartWhilePlayingRestartsWithTheNewAddress)
{
    TestcamProcess camera(2);
    ASSERT_TRUE(camera.started());
    auto control = makeControl();
    configure(*control, camera.url(0));
    control->invoke(media::DispId::Start);
    ASSERT_TRUE(waitForStatus(*control, media::Status::Playing));
    configure(*control, QStringLiteral("http://%1/nothing").arg(camera.hostPort(1)));
    control->invoke(media::DispId::Start);
    EXPECT_TRUE(waitForStatus(*control, media::Status::HttpError)) << statusOf(*control);
    configure(*control, camera.url(1));
    control->invoke(media::DispId::Start);
    EXPECT_TRUE(waitForStatus(*control, media::Status::Playing)) << statusOf(*control);
}

TEST(Destruction, PlayingControlsGoCleanly)
{
    TestcamProcess camera(1, { "--size", "1280x720" });
    ASSERT_TRUE(camera.started());
    for (int round = 0; round < 3; ++round) {
        std::vector<std::unique_ptr<media::MjpegControl>> controls;
        for (int i = 0; i < 4; ++i) {
            controls.push_back(makeControl());
            configure(*controls.back(), camera.url());
            controls.back()->invoke(media::DispId::Start);
        }
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return std::all_of(
                    controls.begin(), controls.end(), [](const auto& c) { return c->stats().decoded > 0; });
            },
            media_test::kDeadlineMs));
        // Gone in the middle of pictures being fetched, decoded and posted.
        controls.clear();
        QTest::qWait(200);
    }
}

TEST(Destruction, ControlGoesWhileItsConnectionHangs)
{
    media_test::LoopbackServer server(media_test::LoopbackServer::Behaviour::Silent);
    auto control = makeControl();
    configure(*control, server.url());
    control->invoke(media::DispId::Start);
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.connections() >= 1; }, media_test::kDeadlineMs));
    control.reset();
    QTest::qWait(200);
}

TEST(ManyWindows, FourteenControlsOnOneCameraAllPlay)
{
    TestcamProcess camera;
    ASSERT_TRUE(camera.started());
    std::vector<std::unique_ptr<media::MjpegControl>> controls;
    for (int i = 0; i < 14; ++i) {
        controls.push_back(makeControl());
        configure(*controls.back(), camera.url());
        controls.back()->invoke(media::DispId::Start);
    }
    for (std::size_t i = 0; i < controls.size(); ++i)
        EXPECT_TRUE(waitForStatus(*controls[i], media::Status::Playing)) << "control " << i;
}

// Average brightness of the control as drawn.
double brightness(QWidget& widget)
{
    const QImage image = widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
    double sum = 0;
    for (int y = 0; y < image.height(); y += 4)
        for (int x = 0; x < image.width(); x += 4)
            sum += qGray(image.pixel(x, y));
    return sum / ((image.height() + 3) / 4 * ((image.width() + 3) / 4));
}

TEST(Drawing, PictureFillsTheAreaAndIsDimmedOnceItIsNoLongerLive)
{
    media_test::LoopbackServer server(media_test::LoopbackServer::Behaviour::JpegParts,
        QByteArray::fromStdString(media_test::solidJpeg(640, 480, 250, 250, 250)));
    auto control = makeControl();
    const double empty = brightness(*control);
    EXPECT_LT(empty, 80); // a dark area with words
    configure(*control, server.url());
    control->invoke(media::DispId::Start);
    ASSERT_TRUE(waitForStatus(*control, media::Status::Playing));
    ASSERT_TRUE(QTest::qWaitFor([&] { return control->stats().drawn > 0; }, media_test::kDeadlineMs));
    const double live = brightness(*control);
    EXPECT_GT(live, 230);
    control->invoke(media::DispId::Stop);
    const double old = brightness(*control);
    EXPECT_LT(old, live - 60);
    EXPECT_GT(old, empty); // the old picture still shows through
}

} // namespace

namespace {

TEST(Drawing, AnotherCamerasPictureIsNotKept)
{
    media_test::LoopbackServer server(media_test::LoopbackServer::Behaviour::JpegParts,
        QByteArray::fromStdString(media_test::solidJpeg(640, 480, 250, 250, 250)));
    auto control = makeControl();
    configure(*control, server.url());
    control->invoke(media::DispId::Start);
    ASSERT_TRUE(QTest::qWaitFor([&] { return control->stats().drawn > 0; }, media_test::kDeadlineMs));
    // The same camera restarted keeps its last picture, dimmed, for orientation.
    control->invoke(media::DispId::Start);
    EXPECT_GT(brightness(*control), 80);
    configure(*control,
        QStringLiteral("http://127.0.0.1:%1/axis-cgi/mjpg/video.cgi").arg(veskat_test::freeLoopbackPort()));
    control->invoke(media::DispId::Start);
    EXPECT_LT(brightness(*control), 80);
}

// Host names are looked up off the network thread: while a lookup hangs, a
// stop and a restart of its camera take effect at once and the other cameras
// keep playing. The looked-up address is used, with the name kept in the URL.
TEST(HostNames, ASlowLookupHoldsUpNoCameraAndNoStop)
{
    struct Gate {
        std::mutex mutex;
        std::condition_variable opened;
        bool open = false;
        int lookups = 0;
        void release()
        {
            const std::lock_guard lock(mutex);
            open = true;
            opened.notify_all();
        }
    };
    const auto gate = std::make_shared<Gate>();
    media::setHostResolver([gate](const std::string&) {
        std::unique_lock lock(gate->mutex);
        ++gate->lookups;
        gate->opened.wait(lock, [&] { return gate->open; });
        return media::LookupResult { { "127.0.0.1" }, {} };
    });
    struct Restore {
        std::shared_ptr<Gate> gate;
        ~Restore()
        {
            gate->release();
            media::setHostResolver(nullptr);
        }
    } restore { gate };
    const auto lookups = [&] {
        const std::lock_guard lock(gate->mutex);
        return gate->lookups;
    };

    const QByteArray picture = QByteArray::fromStdString(media_test::solidJpeg(64, 48, 200, 0, 0));
    media_test::LoopbackServer playingCamera(media_test::LoopbackServer::Behaviour::JpegParts, picture);
    media_test::LoopbackServer namedCamera(media_test::LoopbackServer::Behaviour::JpegParts, picture);
    auto playing = makeControl();
    configure(*playing, playingCamera.url());
    playing->invoke(media::DispId::Start);
    ASSERT_TRUE(waitForStatus(*playing, media::Status::Playing));

    auto named = makeControl();
    configure(*named,
        QString(namedCamera.url()).replace(QStringLiteral("127.0.0.1"), QStringLiteral("slow.camera.test")));
    named->invoke(media::DispId::Start);
    ASSERT_TRUE(QTest::qWaitFor([&] { return lookups() >= 1; }, media_test::kDeadlineMs));
    named->invoke(media::DispId::Stop);
    named->invoke(media::DispId::Start);
    named->invoke(media::DispId::Stop);
    EXPECT_EQ(statusOf(*named), media::Status::Stopped);
    const auto drawn = playing->stats().drawn;
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return playing->stats().drawn >= drawn + 3; }, media_test::kDeadlineMs));

    named->invoke(media::DispId::Start);
    gate->release();
    EXPECT_TRUE(waitForStatus(*named, media::Status::Playing)) << named->statusDetail().toStdString();
}

} // namespace
