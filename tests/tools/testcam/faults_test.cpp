// SPDX-License-Identifier: GPL-2.0-or-later
// Fault switches and the process's own life: drop, stall, refuse, bounded
// duration, a port already taken, clean exit on SIGTERM, bad arguments.
#include "tests/support/spawned_process.h"
#include "tests/support/test_env.h"
#include "tests/support/testcam_process.h"
#include "tests/tools/testcam/stream_reader.h"

#include "veskat_version.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QThread>
#include <gmock/gmock.h>

using testcam_test::readStream;
using testcam_test::StreamResult;
using veskat_test::TestcamProcess;

namespace {

constexpr int kTimeoutMs = 20000;
const QByteArray kPath = "/axis-cgi/mjpg/video.cgi";

// veskat-testcam started directly, its standard error kept.
std::unique_ptr<veskat_test::SpawnedProcess> start(const QStringList& args)
{
    veskat_test::SpawnOptions options;
    for (const QString& arg : args)
        options.arguments.push_back(arg.toStdString());
    options.keepErrorOutput = true;
    return std::make_unique<veskat_test::SpawnedProcess>(
        (veskat_test::buildDir() / "tools" / "testcam" / "veskat-testcam").string(), options);
}

// Reads stdout until a "ready" line or the process ends.
bool waitForReady(veskat_test::SpawnedProcess& process)
{
    return process
               .readOutputUntil([](const std::string& out) { return out.find("ready") != std::string::npos; },
                   std::chrono::milliseconds(kTimeoutMs))
               .find("ready")
        != std::string::npos;
}

TEST(DropAfter, ClosesAfterThatManyPicturesAndTheNextConnectionStreamsAgain)
{
    TestcamProcess cam(1, { "--size", "160x120", "--drop-after", "3" });
    ASSERT_TRUE(cam.started());
    for (int connection = 0; connection < 2; ++connection) {
        const StreamResult r = readStream(cam.port(), kPath, 10, kTimeoutMs);
        EXPECT_EQ(r.parts.size(), 3) << "connection " << connection;
        EXPECT_TRUE(r.closedByServer) << "connection " << connection;
        EXPECT_EQ(r.formatError, QByteArray());
    }
}

TEST(StallAfter, KeepsTheConnectionOpenButSendsNothingMore)
{
    TestcamProcess cam(1, { "--size", "160x120", "--stall-after", "2" });
    ASSERT_TRUE(cam.started());
    // At 25 pictures a second, three quiet seconds would have held 75 more.
    const StreamResult r = readStream(cam.port(), kPath, 2, kTimeoutMs, {}, 3000);
    EXPECT_EQ(r.parts.size(), 2);
    EXPECT_EQ(r.bytesAfterParts, 0);
    EXPECT_FALSE(r.closedByServer);
}

TEST(StallAfter, ZeroSendsTheHeadButNoPicture)
{
    TestcamProcess cam(1, { "--size", "160x120", "--stall-after", "0" });
    ASSERT_TRUE(cam.started());
    const StreamResult r = readStream(cam.port(), kPath, 1, 3000);
    EXPECT_EQ(r.statusLine, "HTTP/1.0 200 OK");
    EXPECT_EQ(r.parts.size(), 0);
    EXPECT_FALSE(r.closedByServer);
}

TEST(RefuseFor, RefusesConnectionsAtFirstThenServes)
{
    TestcamProcess cam(1, { "--size", "160x120", "--refuse-for", "8" });
    ASSERT_TRUE(cam.started());
    EXPECT_FALSE(readStream(cam.port(), kPath, 1, 2000).connected);
    // The port stays taken while connections are refused, so no other
    // program (or client) can take it before the camera starts serving.
    QTcpServer intruder;
    EXPECT_FALSE(intruder.listen(QHostAddress::LocalHost, static_cast<quint16>(cam.port())));
    EXPECT_EQ(intruder.serverError(), QAbstractSocket::AddressInUseError);
    StreamResult r;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 40000 && r.parts.isEmpty()) {
        r = readStream(cam.port(), kPath, 1, 5000);
        if (r.parts.isEmpty())
            QThread::msleep(200);
    }
    EXPECT_EQ(r.parts.size(), 1);
}

TEST(Process, StopsByItselfAfterTheDuration)
{
    const auto process = start({ "--port", "0", "--size", "160x120", "--duration", "1" });
    ASSERT_TRUE(waitForReady(*process));
    EXPECT_EQ(process->finish(std::chrono::milliseconds(kTimeoutMs)), 0);
}

TEST(Process, ExitsCleanlyOnSigterm)
{
    const auto process = start({ "--port", "0", "--size", "160x120", "--duration", "120" });
    ASSERT_TRUE(waitForReady(*process));
    EXPECT_EQ(process->stop(std::chrono::milliseconds(kTimeoutMs)), 0);
}

TEST(Process, PortZeroGivesEachCameraAFreePortAndPrintsThem)
{
    TestcamProcess cam(2, { "--size", "160x120" });
    ASSERT_TRUE(cam.started());
    EXPECT_NE(cam.port(0), cam.port(1));
    for (int camera : { 0, 1 })
        EXPECT_EQ(readStream(cam.port(camera), kPath, 1, kTimeoutMs).parts.size(), 1) << camera;
}

TEST(Process, ExitsWithCode2WhenAPortIsTaken)
{
    QTcpServer squatter;
    ASSERT_TRUE(squatter.listen(QHostAddress::LocalHost, 0));
    // The second of two cameras collides with the squatter.
    const auto process = start({ "--cameras", "2", "--port", QString::number(squatter.serverPort() - 1),
        "--size", "160x120", "--duration", "30" });
    EXPECT_FALSE(waitForReady(*process));
    EXPECT_EQ(process->finish(std::chrono::milliseconds(kTimeoutMs)), 2);
}

class BadArguments : public testing::TestWithParam<QStringList> { };

TEST_P(BadArguments, AreRefusedWithAMessage)
{
    const auto process = start(QStringList { "--port", "0", "--duration", "5" } + GetParam());
    EXPECT_EQ(process->finish(std::chrono::milliseconds(kTimeoutMs)), 1);
    EXPECT_FALSE(process->errorOutput().empty());
    EXPECT_EQ(process->output().find("ready"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Table, BadArguments,
    testing::Values(QStringList { "--size", "640" }, QStringList { "--size", "0x0" },
        QStringList { "--fps", "0" }, QStringList { "--quality", "101" }, QStringList { "--auth", "digest" },
        QStringList { "--auth", "ntlm", "--user", "u" }, QStringList { "--cameras", "0" },
        QStringList { "--stall-after", "-3" }, QStringList { "--live", "--precoded" }));

TEST(Process, AnUnknownOptionIsOneLineOnStandardErrorWithExitCode2)
{
    for (const char* option : { "--unknown", "-u" }) {
        const auto process = start({ "--duration", "5", option });
        EXPECT_EQ(process->finish(std::chrono::milliseconds(kTimeoutMs)), 2) << option;
        const std::string err = process->errorOutput();
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_NE(err.find(option), std::string::npos) << err;
        EXPECT_EQ(process->output().find("ready"), std::string::npos);
    }
}

TEST(Process, VersionIsTheReleaseNumberOfTheBuild)
{
    const auto process = start({ "--version" });
    EXPECT_EQ(process->finish(std::chrono::milliseconds(kTimeoutMs)), 0);
    EXPECT_EQ(process->output(), std::string("veskat-testcam ") + buildinfo::kVersion + "\n");
}

} // namespace
