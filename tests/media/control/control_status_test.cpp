// SPDX-License-Identifier: GPL-2.0-or-later
// The status a camera window reads from property 15, against veskat-testcam
// and small servers on loopback.
#include "tests/media/control/control_fixture.h"
#include "tests/media/control/loopback_servers.h"
#include "tests/media/control/test_pictures.h"
#include "tests/support/test_env.h"
#include "tests/support/testcam_process.h"
#include "veskat_version.h"

#include <gtest/gtest.h>

namespace {

using media_test::configure;
using media_test::makeControl;
using media_test::statusOf;
using media_test::waitForStatus;
using veskat_test::TestcamProcess;

struct AuthCase {
    const char* scheme;
};

class Credentials : public testing::TestWithParam<AuthCase> { };

TEST_P(Credentials, RightPasswordPlays)
{
    TestcamProcess camera(1, { "--user", "root", "--password", "pass", "--auth", GetParam().scheme });
    ASSERT_TRUE(camera.started());
    auto control = makeControl();
    ASSERT_TRUE(control);
    configure(*control, camera.url(), "root", "pass");
    control->invoke(media::DispId::Start);
    ASSERT_TRUE(waitForStatus(*control, media::Status::Playing)) << statusOf(*control);
    EXPECT_TRUE(QTest::qWaitFor([&] { return control->stats().drawn >= 3; }, media_test::kDeadlineMs));
    const media::MediaStats stats = control->stats();
    EXPECT_EQ(stats.pictureWidth, 640);
    EXPECT_EQ(stats.pictureHeight, 480);
    EXPECT_EQ(stats.skipped, 0u);
}

TEST_P(Credentials, WrongPasswordGives1028)
{
    TestcamProcess camera(1, { "--user", "root", "--password", "pass", "--auth", GetParam().scheme });
    ASSERT_TRUE(camera.started());
    auto control = makeControl();
    configure(*control, camera.url(), "root", "wrong");
    control->invoke(media::DispId::Start);
    EXPECT_TRUE(waitForStatus(*control, media::Status::Unauthorized)) << statusOf(*control);
}

TEST_P(Credentials, NoCredentialsGives1028)
{
    TestcamProcess camera(1, { "--user", "root", "--password", "pass", "--auth", GetParam().scheme });
    ASSERT_TRUE(camera.started());
    auto control = makeControl();
    configure(*control, camera.url());
    control->invoke(media::DispId::Start);
    EXPECT_TRUE(waitForStatus(*control, media::Status::Unauthorized)) << statusOf(*control);
}

TEST(CredentialScope, ACameraThatUsedDigestNeverGetsBasic)
{
    media_test::ChallengeServer camera;
    camera.setChallenge(R"(Digest realm="cam", nonce="n1", qop="auth", algorithm=MD5)");
    auto control = makeControl();
    configure(*control, camera.url(), "root", "secret");
    control->invoke(media::DispId::Start);
    ASSERT_TRUE(waitForStatus(*control, media::Status::Unauthorized)) << statusOf(*control);
    ASSERT_FALSE(camera.authorizations().isEmpty());
    EXPECT_TRUE(camera.authorizations().first().startsWith("Digest "));
    // Every request names the viewer with the release it is.
    EXPECT_EQ(camera.userAgents().size(), camera.requests());
    EXPECT_EQ(camera.userAgents().value(0), QByteArray("veskat-cameras/") + buildinfo::kVersion);

    // An impostor at the same address asks for Basic: it gets no password.
    camera.setChallenge(R"(Basic realm="cam")");
    const int before = camera.requests();
    control->invoke(media::DispId::Stop);
    control->invoke(media::DispId::Start);
    ASSERT_TRUE(waitForStatus(*control, media::Status::Unauthorized)) << statusOf(*control);
    ASSERT_GT(camera.requests(), before);
    for (const QByteArray& sent : camera.authorizations())
        EXPECT_FALSE(sent.startsWith("Basic")) << sent.toStdString();
    EXPECT_TRUE(control->statusDetail().contains(QStringLiteral("Basic")))
        << control->statusDetail().toStdString();

    // New settings (here another password) are a new start: Basic is allowed.
    configure(*control, camera.url(), "root", "other");
    control->invoke(media::DispId::Stop);
    control->invoke(media::DispId::Start);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return !camera.authorizations().isEmpty() && camera.authorizations().last().startsWith("Basic");
        },
        media_test::kDeadlineMs));
}

TEST(CredentialScope, ProxySettingsOfTheEnvironmentAreNotUsed)
{
    // A proxy would see every Basic password; cameras are reached directly.
    media_test::LoopbackServer proxy(media_test::LoopbackServer::Behaviour::Silent);
    const std::string proxyUrl
        = "http://127.0.0.1:" + proxy.url().section(':', 2).section('/', 0, 0).toStdString();
    veskat_test::ScopedEnv httpProxy("http_proxy", proxyUrl);
    veskat_test::ScopedEnv allProxy("ALL_PROXY", proxyUrl);
    veskat_test::ScopedEnv noProxy("no_proxy", std::nullopt);
    TestcamProcess camera(1, { "--user", "root", "--password", "pass", "--auth", "basic" });
    ASSERT_TRUE(camera.started());
    auto control = makeControl();
    configure(*control, camera.url(), "root", "pass");
    control->invoke(media::DispId::Start);
    EXPECT_TRUE(waitForStatus(*control, media::Status::Playing)) << statusOf(*control);
    EXPECT_EQ(proxy.connections(), 0);
}

INSTANTIATE_TEST_SUITE_P(Schemes, Credentials, testing::Values(AuthCase { "basic" }, AuthCase { "digest" }),
    [](const auto& info) { return std::string(info.param.scheme); });

TEST(AnswerOfTheCamera, NotFoundGives1029)
{
    TestcamProcess camera;
    ASSERT_TRUE(camera.started());
    auto control = makeControl();
    configure(*control, QStringLiteral("http://%1/axis-cgi/mjpg/nothing.cgi").arg(camera.hostPort()));
    control->invoke(media::DispId::Start);
    EXPECT_TRUE(waitForStatus(*control, media::Status::HttpError)) << statusOf(*control);
    EXPECT_EQ(control->statusDetail(), QStringLiteral("HTTP 404"));
}

TEST(AnswerOfTheCamera, HtmlPageGives1030)
{
    TestcamProcess camera;
    ASSERT_TRUE(camera.started());
    auto control = makeControl();
    configure(*control, QStringLiteral("http://%1/index.html").arg(camera.hostPort()));
    control->invoke(media::DispId::Start);
    EXPECT_TRUE(waitForStatus(*control, media::Status::NotMjpeg)) << statusOf(*control);
}

TEST(AnswerOfTheCamera, PicturesTooLargeGive1030AndSayWhy)
{
    // 3 kB that claim 7071x7071 in progressive coding: refused like any
    // undecodable part, with the reason in the status text.
    media_test::LoopbackServer server(media_test::LoopbackServer::Behaviour::JpegParts,
        QByteArray::fromStdString(
            media_test::withClaimedSize(media_test::progressiveJpeg(64, 64), 7071, 7071)));
    ASSERT_TRUE(server.listening());
    auto control = makeControl();
    configure(*control, server.url());
    control->invoke(media::DispId::Start);
    EXPECT_TRUE(waitForStatus(*control, media::Status::NotMjpeg)) << statusOf(*control);
    EXPECT_EQ(control->statusDetail(), QStringLiteral("picture too large: 7071x7071"));
    EXPECT_GE(control->stats().skipped, 5u);
}

TEST(AnswerOfTheCamera, AnAnnouncedBoundaryThatNeverComesIsLearnedFromTheStream)
{
    // The header names one boundary, the parts use another ("--myboundary").
    media_test::LoopbackServer server(media_test::LoopbackServer::Behaviour::JpegParts,
        QByteArray::fromStdString(media_test::solidJpeg(320, 240, 10, 120, 200)),
        "multipart/x-mixed-replace; boundary=BoundaryString");
    ASSERT_TRUE(server.listening());
    auto control = makeControl();
    configure(*control, server.url());
    control->invoke(media::DispId::Start);
    EXPECT_TRUE(waitForStatus(*control, media::Status::Playing)) << statusOf(*control);
}

TEST(AnswerOfTheCamera, PlainMotionJpegFramesPlay)
{
    media_test::LoopbackServer server(media_test::LoopbackServer::Behaviour::JpegParts,
        QByteArray::fromStdString(
            media_test::withoutHuffmanTables(media_test::solidJpeg(320, 240, 10, 120, 200))));
    ASSERT_TRUE(server.listening());
    auto control = makeControl();
    configure(*control, server.url());
    control->invoke(media::DispId::Start);
    EXPECT_TRUE(waitForStatus(*control, media::Status::Playing)) << statusOf(*control);
}

struct UnlabelledCase {
    const char* contentType;
    media_test::LoopbackServer::Behaviour behaviour;
    std::int32_t expected;
};

class UnlabelledStream : public testing::TestWithParam<UnlabelledCase> { };

// ffmpeg's HTTP server sends its multipart stream as application/octet-stream.
TEST_P(UnlabelledStream, PlaysWhenTheBodyIsMultipart)
{
    const UnlabelledCase& c = GetParam();
    media_test::LoopbackServer server(
        c.behaviour, QByteArray::fromStdString(media_test::solidJpeg(320, 240, 90, 90, 90)), c.contentType);
    ASSERT_TRUE(server.listening());
    auto control = makeControl();
    configure(*control, server.url());
    control->invoke(media::DispId::Start);
    EXPECT_TRUE(waitForStatus(*control, c.expected)) << statusOf(*control);
}

using Behaviour = media_test::LoopbackServer::Behaviour;
INSTANTIATE_TEST_SUITE_P(Bodies, UnlabelledStream,
    testing::Values(
        UnlabelledCase { "application/octet-stream", Behaviour::JpegParts, media::Status::Playing },
        UnlabelledCase { "", Behaviour::JpegParts, media::Status::Playing },
        UnlabelledCase { "application/octet-stream", Behaviour::RawPictures, media::Status::NotMjpeg },
        UnlabelledCase { "image/jpeg", Behaviour::RawPictures, media::Status::NotMjpeg },
        UnlabelledCase { "text/plain", Behaviour::JpegParts, media::Status::NotMjpeg }));

TEST(Settings, OtherMediaTypeGives1030AtStart)
{
    auto control = makeControl();
    configure(*control, QStringLiteral("http://127.0.0.1:9/axis-cgi/mjpg/video.cgi"));
    control->putProperty(media::DispId::MediaType, std::string("h264"));
    control->invoke(media::DispId::Start);
    EXPECT_EQ(statusOf(*control), media::Status::NotMjpeg);
}

class InvalidUrl : public testing::TestWithParam<const char*> { };

TEST_P(InvalidUrl, Gives1031AtStart)
{
    auto control = makeControl();
    configure(*control, QString::fromUtf8(GetParam()));
    control->invoke(media::DispId::Start);
    EXPECT_EQ(statusOf(*control), media::Status::InvalidUrl);
    // It stays there: nothing is retried until the next start.
    QTest::qWait(300);
    EXPECT_EQ(statusOf(*control), media::Status::InvalidUrl);
}

INSTANTIATE_TEST_SUITE_P(Urls, InvalidUrl,
    testing::Values("http:///axis-cgi/mjpg/video.cgi", "", "http://", "camera/axis-cgi/mjpg/video.cgi"));

TEST(InvalidUrlDetail, NeverShowsTheUserPart)
{
    // The detail is painted in the window and printed by the probe.
    auto control = makeControl();
    configure(*control, QStringLiteral("http://admin:s3cret@/axis-cgi/mjpg/video.cgi"));
    control->invoke(media::DispId::Start);
    ASSERT_EQ(statusOf(*control), media::Status::InvalidUrl);
    EXPECT_EQ(control->statusDetail(), QStringLiteral("http:///axis-cgi/mjpg/video.cgi"));
}

TEST(Reconnect, RefusedCameraGives1025ThenPlaysOnceItIsUp)
{
    TestcamProcess camera(1, { "--refuse-for", "4" });
    ASSERT_TRUE(camera.started());
    auto control = makeControl();
    configure(*control, camera.url());
    control->invoke(media::DispId::Start);
    EXPECT_TRUE(waitForStatus(*control, media::Status::ConnectionFailed)) << statusOf(*control);
    EXPECT_TRUE(waitForStatus(*control, media::Status::Playing)) << statusOf(*control);
}

TEST(Reconnect, StalledCameraGives1027Then1025AndRecovers)
{
    // The camera stops sending after 20 pictures of every connection.
    TestcamProcess camera(1, { "--stall-after", "20" });
    ASSERT_TRUE(camera.started());
    auto control = makeControl();
    configure(*control, camera.url(), {}, {}, 8000);
    control->invoke(media::DispId::Start);
    ASSERT_TRUE(waitForStatus(*control, media::Status::Playing)) << statusOf(*control);
    EXPECT_TRUE(waitForStatus(*control, media::Status::Stalled)) << statusOf(*control);
    EXPECT_TRUE(waitForStatus(*control, media::Status::ConnectionFailed)) << statusOf(*control);
    EXPECT_TRUE(waitForStatus(*control, media::Status::Playing)) << statusOf(*control);
}

TEST(Reconnect, DroppedConnectionGives1025AndPlaysAgain)
{
    TestcamProcess camera(1, { "--drop-after", "20" });
    ASSERT_TRUE(camera.started());
    auto control = makeControl();
    configure(*control, camera.url());
    std::vector<int> seen;
    QObject::connect(control.get(), &media::MjpegControl::statusChanged, [&](int s) { seen.push_back(s); });
    control->invoke(media::DispId::Start);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const auto lost = std::find(seen.begin(), seen.end(), media::Status::ConnectionFailed);
            return lost != seen.end() && std::find(lost, seen.end(), media::Status::Playing) != seen.end();
        },
        media_test::kDeadlineMs));
}

TEST(Reconnect, ServerThatNeverAnswersGives1025AfterTheTimeout)
{
    media_test::LoopbackServer server(media_test::LoopbackServer::Behaviour::Silent);
    ASSERT_TRUE(server.listening());
    auto control = makeControl();
    configure(*control, server.url(), {}, {}, 1500);
    control->invoke(media::DispId::Start);
    EXPECT_EQ(statusOf(*control), media::Status::Connecting);
    EXPECT_TRUE(waitForStatus(*control, media::Status::ConnectionFailed)) << statusOf(*control);
    // ...and keeps trying on its own.
    EXPECT_TRUE(QTest::qWaitFor([&] { return server.connections() >= 2; }, media_test::kDeadlineMs));
}

} // namespace
