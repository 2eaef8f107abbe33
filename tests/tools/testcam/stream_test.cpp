// SPDX-License-Identifier: GPL-2.0-or-later
// The stream veskat-testcam serves: exact format, decodable pictures, rising
// counters, paths, several cameras and many clients per camera.
#include "tests/support/testcam_process.h"
#include "tests/tools/testcam/stream_reader.h"

#include <gmock/gmock.h>
#include <turbojpeg.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

using testcam_test::readStream;
using testcam_test::StreamResult;
using veskat_test::TestcamProcess;

namespace {

constexpr int kTimeoutMs = 20000;

struct Decoded {
    bool ok = false;
    int width = 0;
    int height = 0;
    int subsampling = -1;
};

Decoded decodeJpeg(const QByteArray& jpeg)
{
    std::unique_ptr<void, int (*)(tjhandle)> handle(tjInitDecompress(), tjDestroy);
    Decoded d;
    int colorspace = 0;
    const auto* data = reinterpret_cast<const unsigned char*>(jpeg.constData());
    if (tjDecompressHeader3(handle.get(), data, static_cast<unsigned long>(jpeg.size()), &d.width, &d.height,
            &d.subsampling, &colorspace)
        != 0)
        return d;
    std::vector<unsigned char> pixels(static_cast<size_t>(d.width) * d.height * 3);
    d.ok = tjDecompress2(handle.get(), data, static_cast<unsigned long>(jpeg.size()), pixels.data(), d.width,
               0, d.height, TJPF_RGB, 0)
        == 0;
    return d;
}

long long nowUs()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::system_clock::now().time_since_epoch())
        .count();
}

struct FormatCase {
    const char* mode;
    int width;
    int height;
};

class StreamFormat : public testing::TestWithParam<FormatCase> { };

TEST_P(StreamFormat, PartsAreWellFormedJpegsWithRisingCountersAndEpochSendTimes)
{
    const FormatCase c = GetParam();
    TestcamProcess cam(1, { c.mode, "--size", QStringLiteral("%1x%2").arg(c.width).arg(c.height) });
    ASSERT_TRUE(cam.started());

    const StreamResult r = readStream(cam.port(), "/axis-cgi/mjpg/video.cgi", 6, kTimeoutMs);
    ASSERT_TRUE(r.connected);
    EXPECT_TRUE(r.statusLine == "HTTP/1.0 200 OK"
        || (r.statusLine == "HTTP/1.1 200 OK" && r.header("Connection") == "close"))
        << r.statusLine.constData();
    EXPECT_EQ(r.header("Content-Type"), "multipart/x-mixed-replace; boundary=myboundary");
    EXPECT_EQ(r.formatError, QByteArray());
    ASSERT_EQ(r.parts.size(), 6);

    long long previous = -1;
    QList<QByteArray> pictures;
    for (const auto& part : r.parts) {
        EXPECT_EQ(part.contentType, "image/jpeg");
        const Decoded d = decodeJpeg(part.jpeg);
        EXPECT_TRUE(d.ok);
        EXPECT_EQ(d.width, c.width);
        EXPECT_EQ(d.height, c.height);
        EXPECT_EQ(d.subsampling, TJSAMP_420);
        EXPECT_GT(part.frame, previous);
        previous = part.frame;
        // Microseconds since the Unix epoch: a unit or clock mix-up is off by far more than a minute.
        EXPECT_NEAR(static_cast<double>(part.sendTimeUs), static_cast<double>(nowUs()), 60e6);
        pictures.append(part.jpeg);
    }
    // The pattern moves: consecutive pictures are not the same bytes.
    for (int i = 1; i < pictures.size(); ++i)
        EXPECT_NE(pictures[i], pictures[i - 1]) << "picture " << i;
}

INSTANTIATE_TEST_SUITE_P(Modes, StreamFormat,
    testing::Values(FormatCase { "--live", 320, 240 }, FormatCase { "--precoded", 320, 240 },
        FormatCase { "--precoded", 1280, 720 }, FormatCase { "--live", 642, 362 }));

struct PathCase {
    const char* path;
    const char* status;
    const char* contentType;
};

class Paths : public testing::TestWithParam<PathCase> {
protected:
    static void SetUpTestSuite()
    {
        s_cam = std::make_unique<TestcamProcess>(1, QStringList { "--size", "160x120" });
    }
    static void TearDownTestSuite() { s_cam.reset(); }
    static std::unique_ptr<TestcamProcess> s_cam;
};

std::unique_ptr<TestcamProcess> Paths::s_cam;

TEST_P(Paths, AnswerWithTheirStatusAndType)
{
    ASSERT_TRUE(s_cam->started());
    const PathCase c = GetParam();
    const StreamResult r = readStream(s_cam->port(), c.path, 1, kTimeoutMs);
    ASSERT_TRUE(r.connected);
    EXPECT_EQ(r.statusLine, QByteArray(c.status));
    EXPECT_TRUE(r.header("Content-Type").startsWith(c.contentType)) << r.header("Content-Type").constData();
    if (QByteArray(c.contentType) == "text/html") {
        EXPECT_THAT(r.body.toStdString(), testing::HasSubstr("<html"));
    }
}

INSTANTIATE_TEST_SUITE_P(All, Paths,
    testing::Values(PathCase { "/index.html", "HTTP/1.0 200 OK", "text/html" },
        PathCase { "/", "HTTP/1.0 200 OK", "text/html" },
        PathCase {
            "/axis-cgi/mjpg/video.cgi?resolution=640x480", "HTTP/1.0 200 OK", "multipart/x-mixed-replace" },
        PathCase { "/axis-cgi/jpg/image.cgi", "HTTP/1.0 404 Not Found", "text/html" },
        PathCase { "/axis-cgi/mjpg/video.cgi/x", "HTTP/1.0 404 Not Found", "text/html" }));

class EachCamera : public testing::TestWithParam<const char*> { };

TEST_P(EachCamera, StreamsOnItsOwnPort)
{
    TestcamProcess cam(3, { "--size", "160x120", GetParam() });
    ASSERT_TRUE(cam.started());
    for (int i = 0; i < 3; ++i) {
        const StreamResult r = readStream(cam.port(i), "/axis-cgi/mjpg/video.cgi", 2, kTimeoutMs);
        EXPECT_EQ(r.parts.size(), 2) << "camera " << i;
        EXPECT_EQ(r.formatError, QByteArray());
        for (const auto& part : r.parts)
            EXPECT_TRUE(decodeJpeg(part.jpeg).ok) << "camera " << i;
    }
}

// Live, and a precoded cycle per camera (three small cameras are cheap enough).
INSTANTIATE_TEST_SUITE_P(Modes, EachCamera, testing::Values("--live", "--precoded"));

TEST(Cameras, FourteenClientsOnOneCameraAllPlay)
{
    TestcamProcess cam(1, { "--size", "320x240" });
    ASSERT_TRUE(cam.started());
    constexpr int kClients = 14;
    std::vector<StreamResult> results(kClients);
    std::vector<std::thread> threads;
    for (int i = 0; i < kClients; ++i) {
        threads.emplace_back([&, i] {
            results[static_cast<size_t>(i)]
                = readStream(cam.port(), "/axis-cgi/mjpg/video.cgi", 10, kTimeoutMs);
        });
    }
    for (auto& t : threads)
        t.join();
    for (int i = 0; i < kClients; ++i) {
        EXPECT_EQ(results[static_cast<size_t>(i)].parts.size(), 10) << "client " << i;
        EXPECT_EQ(results[static_cast<size_t>(i)].formatError, QByteArray()) << "client " << i;
    }
}

} // namespace
