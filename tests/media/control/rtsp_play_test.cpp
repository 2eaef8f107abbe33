// SPDX-License-Identifier: GPL-2.0-or-later
// RTSP cameras in the media control, end to end against veskat-rtsp-testcam.
#include "control_fixture.h"
#include "tests/support/rtsp_testcam_process.h"

#include <QImage>

#include <functional>

#include <gtest/gtest.h>

namespace {

using media_test::configure;
using media_test::makeControl;
using media_test::statusOf;
using media_test::waitForStatus;
using veskat_test::RtspTestcamProcess;

struct PlayCase {
    QStringList args;
    QString userInfo; // in the address
    QString user; // of the control
    QString password;
};

class RtspPlays : public testing::TestWithParam<PlayCase> { };

// Status 2, the camera's own size, and a drawn picture that is not one colour
// (the test pattern; a grey or green first picture would be).
TEST_P(RtspPlays, PicturesOfTheRightSizeAreDrawn)
{
    RtspTestcamProcess camera(GetParam().args + QStringList { "--size", "320x240" }, 60);
    ASSERT_TRUE(camera.started()) << camera.errorOutput().toStdString();
    auto control = makeControl();
    ASSERT_TRUE(control);
    configure(*control, camera.url(0, GetParam().userInfo), GetParam().user, GetParam().password);
    control->invoke(media::DispId::Start);
    ASSERT_TRUE(waitForStatus(*control, media::Status::Playing))
        << statusOf(*control) << " " << control->statusDetail().toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return control->drawnCount() > 0; }, media_test::kDeadlineMs));
    EXPECT_EQ(control->pictureSize(), QSize(320, 240));
    const QImage shown = control->grab().toImage();
    EXPECT_NE(shown.pixel(5, 5), shown.pixel(shown.width() - 5, shown.height() - 5));
    control->invoke(media::DispId::Stop);
    EXPECT_EQ(statusOf(*control), media::Status::Stopped);
}

PlayCase plain(QStringList args)
{
    return PlayCase { std::move(args), {}, {}, {} };
}

INSTANTIATE_TEST_SUITE_P(Codecs, RtspPlays,
    testing::Values(plain({ "--codec", "h264" }), plain({ "--codec", "h265" }), plain({ "--codec", "mjpeg" }),
        // The camera refuses RTP over TCP: the control goes over UDP.
        plain({ "--codec", "h264", "--transports", "udp" }),
        PlayCase { { "--user", "root", "--password", "p@ss", "--auth", "digest" }, {}, "root", "p@ss" },
        PlayCase { { "--user", "root", "--password", "pass" }, "root:pass", "other", "wrong" }));

struct FailCase {
    QStringList args;
    QString path; // replaces "/cam0" when set
    QString password;
    std::int32_t status;
    const char* detail;
};

class RtspFails : public testing::TestWithParam<FailCase> { };

TEST_P(RtspFails, WithItsStatus)
{
    RtspTestcamProcess camera(GetParam().args, 60);
    ASSERT_TRUE(camera.started()) << camera.errorOutput().toStdString();
    auto control = makeControl();
    ASSERT_TRUE(control);
    QString url = camera.url();
    if (!GetParam().path.isEmpty())
        url.replace(QStringLiteral("/cam0"), GetParam().path);
    configure(*control, url, QStringLiteral("root"), GetParam().password);
    control->invoke(media::DispId::Start);
    EXPECT_TRUE(waitForStatus(*control, GetParam().status))
        << statusOf(*control) << " " << control->statusDetail().toStdString();
    EXPECT_EQ(control->statusDetail().toStdString(), GetParam().detail);
}

INSTANTIATE_TEST_SUITE_P(Faults, RtspFails,
    testing::Values(FailCase { { "--user", "root", "--password", "right" }, {}, "wrong",
                        media::Status::Unauthorized, "RTSP 401 Unauthorized" },
        FailCase { { "--user", "root", "--password", "right", "--auth", "digest" }, {}, "wrong",
            media::Status::Unauthorized, "RTSP 401 Unauthorized" },
        FailCase { {}, "/nothing-here", {}, media::Status::HttpError, "RTSP 404 Not Found" },
        // Pictures stop, RTCP and keep-alive answers go on: stalled.
        FailCase { { "--stall-after", "1" }, {}, {}, media::Status::Stalled, "" }));

// Stalled past the network timeout, the session is dropped and retried as
// 1025, though the camera still answers keep-alives and sends RTCP.
TEST(RtspStall, PastTheTimeoutTheSessionIsDroppedAsLost)
{
    RtspTestcamProcess camera({ "--stall-after", "1" }, 60);
    ASSERT_TRUE(camera.started()) << camera.errorOutput().toStdString();
    auto control = makeControl();
    ASSERT_TRUE(control);
    configure(*control, camera.url(), {}, {}, 7000);
    control->invoke(media::DispId::Start);
    ASSERT_TRUE(waitForStatus(*control, media::Status::Stalled)) << statusOf(*control);
    QString detail;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            if (statusOf(*control) != media::Status::ConnectionFailed)
                return false;
            detail = control->statusDetail();
            return true;
        },
        media_test::kDeadlineMs))
        << statusOf(*control);
    EXPECT_EQ(detail.toStdString(), "No picture for 7 s");
}

TEST(RtspAddresses, RtspsAndBrokenAddressesGive1031)
{
    auto control = makeControl();
    ASSERT_TRUE(control);
    for (const char* url : { "rtsps://127.0.0.1:1/cam0", "RTSP:///cam0", "rtsp://root:pw@/cam0" }) {
        configure(*control, QString::fromLatin1(url), QStringLiteral("root"), QStringLiteral("pw"));
        control->invoke(media::DispId::Start);
        EXPECT_EQ(statusOf(*control), media::Status::InvalidUrl) << url;
        EXPECT_FALSE(control->statusDetail().contains(QStringLiteral("pw"))) << url;
    }
}

} // namespace

namespace {

bool waitForStats(
    const media::MjpegControl& control, const std::function<bool(const media::MediaStats&)>& done)
{
    return QTest::qWaitFor([&] { return done(control.stats()); }, media_test::kDeadlineMs);
}

// Hidden, an H.264 stream keeps playing and decodes nothing; shown again, it
// draws from the next key frame.
TEST(RtspSeen, AHiddenControlDecodesNothingUntilShown)
{
    RtspTestcamProcess camera({ "--size", "320x240", "--gop", "10" }, 60);
    ASSERT_TRUE(camera.started()) << camera.errorOutput().toStdString();
    auto control = makeControl();
    ASSERT_TRUE(control);
    configure(*control, camera.url());
    control->invoke(media::DispId::Start);
    ASSERT_TRUE(waitForStatus(*control, media::Status::Playing)) << statusOf(*control);
    ASSERT_TRUE(waitForStats(*control, [](const media::MediaStats& s) { return s.drawn >= 2; }));

    control->hide();
    ASSERT_TRUE(waitForStats(*control, [](const media::MediaStats& s) { return s.unseen >= 2; }));
    const media::MediaStats before = control->stats();
    ASSERT_TRUE(
        waitForStats(*control, [&](const media::MediaStats& s) { return s.unseen >= before.unseen + 10; }));
    EXPECT_EQ(control->stats().decoded, before.decoded);
    EXPECT_EQ(statusOf(*control), media::Status::Playing);

    control->show();
    EXPECT_TRUE(
        waitForStats(*control, [&](const media::MediaStats& s) { return s.drawn >= before.drawn + 3; }));
}

} // namespace
