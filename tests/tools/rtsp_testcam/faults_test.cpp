// SPDX-License-Identifier: GPL-2.0-or-later
// The faults a client can see for itself: a resolution change mid-stream, a
// session timeout that the camera enforces, connections refused at first or
// dropped later; and the camera's own end.
#include "tests/support/rtsp_testcam_process.h"
#include "tests/support/spawned_process.h"
#include "tests/tools/rtsp_testcam/ffprobe.h"
#include "tests/tools/rtsp_testcam/rtsp_exchange.h"

#include <QDeadlineTimer>
#include <QSet>
#include <QThread>
#include <gmock/gmock.h>

using rtsptestcam_test::ffprobe;
using rtsptestcam_test::RtspExchange;
using veskat_test::RtspTestcamProcess;

namespace {

class ResizeAfter : public testing::TestWithParam<const char*> { };

TEST_P(ResizeAfter, ShowsTheNewSizeInTheSameStream)
{
    RtspTestcamProcess cam(
        { "--codec", GetParam(), "--size", "320x240", "--resize-after", "1", "--resize-to", "160x96" }, 60);
    ASSERT_TRUE(cam.started());
    // Three seconds of pictures from one connection: both sizes appear.
    const auto probe = ffprobe(cam.url(), "tcp", "frame=width,height", { "-read_intervals", "%+3" });
    QSet<QString> sizes;
    for (const QString& line : probe.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        sizes.insert(line.section(QLatin1Char(','), 0, 1));
    EXPECT_TRUE(sizes.contains("320,240")) << probe.out.toStdString() << probe.errors.toStdString();
    EXPECT_TRUE(sizes.contains("160,96")) << probe.out.toStdString() << probe.errors.toStdString();
}

INSTANTIATE_TEST_SUITE_P(EachCodec, ResizeAfter, testing::Values("mjpeg", "h264", "h265"));

struct TimeoutCase {
    bool playing; // over TCP: the camera keeps sending, yet only requests count
    int keepAliveEverySeconds; // 0: none
    int statusAfterwards;
};

class SessionTimeout : public testing::TestWithParam<TimeoutCase> { };

TEST_P(SessionTimeout, IsAnnouncedAndRemovesASessionWithoutKeepAlive)
{
    constexpr int kTimeout = 2;
    const TimeoutCase& c = GetParam();
    RtspTestcamProcess cam({ "--size", "160x120", "--session-timeout", QString::number(kTimeout) }, 60);
    ASSERT_TRUE(cam.started());
    RtspExchange rtsp(cam.port());
    const QByteArray url = cam.url().toUtf8();
    ASSERT_EQ(rtsp.request("DESCRIBE", url, "Accept: application/sdp\r\n").status, 200);
    const auto setup
        = rtsp.request("SETUP", url + "/stream=0", "Transport: RTP/AVP/TCP;unicast;interleaved=0-1\r\n");
    ASSERT_EQ(setup.status, 200);
    const QByteArray session = setup.header("Session");
    EXPECT_TRUE(session.endsWith(";timeout=" + QByteArray::number(kTimeout))) << session.toStdString();
    const QByteArray sessionHeader = "Session: " + session.left(session.indexOf(';')) + "\r\n";
    if (c.playing) {
        ASSERT_EQ(rtsp.request("PLAY", url, sessionHeader).status, 200);
    }

    // Twice the timeout, then one more request in the same session.
    const int step = c.keepAliveEverySeconds ? c.keepAliveEverySeconds : 2 * kTimeout;
    for (int waited = 0; waited < 2 * kTimeout; waited += step) {
        QThread::sleep(static_cast<unsigned long>(step));
        if (c.keepAliveEverySeconds && waited + step < 2 * kTimeout) {
            EXPECT_EQ(rtsp.request("GET_PARAMETER", url, sessionHeader).status, 200);
        }
    }
    EXPECT_EQ(rtsp.request("GET_PARAMETER", url, sessionHeader).status, c.statusAfterwards);
}

// 454 Session Not Found once the session timed out; kept alive, it stays.
INSTANTIATE_TEST_SUITE_P(WithAndWithoutKeepAlive, SessionTimeout,
    testing::Values(TimeoutCase { false, 0, 454 }, TimeoutCase { false, 1, 200 },
        TimeoutCase { true, 0, 454 }, TimeoutCase { true, 1, 200 }));

TEST(RefuseFor, RefusesAtFirstOnThePrintedPortAndThenPlays)
{
    RtspTestcamProcess cam({ "--size", "160x120", "--refuse-for", "4" }, 60);
    ASSERT_TRUE(cam.started());
    const auto refused = ffprobe(cam.url(), "tcp", "stream=codec_name");
    EXPECT_THAT(refused.errors.toStdString(), testing::HasSubstr("Connection refused"));
    // Each refused probe ends at once; the camera plays once the four seconds are over.
    std::string summary;
    QDeadlineTimer deadline(30000);
    while (summary != "h264" && !deadline.hasExpired())
        summary = rtsptestcam_test::streamSummary(ffprobe(cam.url(), "tcp", "stream=codec_name"));
    EXPECT_EQ(summary, "h264");
}

TEST(DropAfter, ClosesTheConnectionAndTheNextOneIsServed)
{
    RtspTestcamProcess cam({ "--size", "160x120", "--drop-after", "3" }, 60);
    ASSERT_TRUE(cam.started());
    for (int connection = 0; connection < 2; ++connection) {
        RtspExchange rtsp(cam.port());
        EXPECT_EQ(rtsp.request("OPTIONS", cam.url().toUtf8()).status, 200) << "connection " << connection;
        EXPECT_TRUE(rtsp.waitForClose(20000)) << "connection " << connection;
        EXPECT_EQ(rtsp.request("OPTIONS", cam.url().toUtf8()).status, 0) << "connection " << connection;
        EXPECT_FALSE(rtsp.connected()) << "connection " << connection;
    }
}

TEST(Lifetime, EndsOnSigtermAndAfterSecondsWithItsReport)
{
    RtspTestcamProcess stopped({ "--size", "160x120" }, 60);
    ASSERT_TRUE(stopped.started());
    EXPECT_EQ(stopped.stop(), 0);
    EXPECT_THAT(stopped.errorOutput().toStdString(), testing::HasSubstr("exiting"));

    veskat_test::SpawnOptions bounded;
    bounded.arguments = { "--seconds", "1" };
    EXPECT_EQ(veskat_test::SpawnedProcess(RtspTestcamProcess::program().toStdString(), bounded)
                  .finish(std::chrono::seconds(30)),
        0);
}

} // namespace
