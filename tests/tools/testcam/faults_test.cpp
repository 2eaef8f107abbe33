// Fault switches and the process's own life: drop, stall, refuse, bounded
// duration, a port already taken, clean exit on SIGTERM, bad arguments.
#include "tests/support/test_env.h"
#include "tests/support/testcam_process.h"
#include "tests/tools/testcam/stream_reader.h"

#include "veskat_version.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTcpServer>
#include <QThread>
#include <gmock/gmock.h>

using testcam_test::readStream;
using testcam_test::StreamResult;
using veskat_test::TestcamProcess;

namespace {

constexpr int kTimeoutMs = 20000;
const QByteArray kPath = "/axis-cgi/mjpg/video.cgi";

QString program()
{
    return QString::fromStdString(
        (veskat_test::buildDir() / "tools" / "testcam" / "veskat-testcam").string());
}

// Reads stdout until a "ready" line or the process ends.
bool waitForReady(QProcess& process)
{
    if (!process.waitForStarted(kTimeoutMs))
        return false;
    QByteArray out;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < kTimeoutMs && !out.contains("ready") && process.state() == QProcess::Running) {
        process.waitForReadyRead(100);
        out += process.readAllStandardOutput();
    }
    return out.contains("ready");
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
    QProcess process;
    process.start(program(),
        { "--port", QString::number(veskat_test::freeLoopbackPort()), "--size", "160x120", "--duration",
            "1" });
    ASSERT_TRUE(waitForReady(process));
    ASSERT_TRUE(process.waitForFinished(kTimeoutMs));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
}

TEST(Process, ExitsCleanlyOnSigterm)
{
    QProcess process;
    process.start(program(),
        { "--port", QString::number(veskat_test::freeLoopbackPort()), "--size", "160x120", "--duration",
            "120" });
    ASSERT_TRUE(waitForReady(process));
    process.terminate();
    ASSERT_TRUE(process.waitForFinished(kTimeoutMs));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
}

TEST(Process, ExitsWithCode2WhenAPortIsTaken)
{
    QTcpServer squatter;
    ASSERT_TRUE(squatter.listen(QHostAddress::LocalHost, 0));
    // The second of two cameras collides with the squatter.
    QProcess process;
    process.start(program(),
        { "--cameras", "2", "--port", QString::number(squatter.serverPort() - 1), "--size", "160x120",
            "--duration", "30" });
    EXPECT_FALSE(waitForReady(process));
    process.waitForFinished(kTimeoutMs); // false when it has already ended
    ASSERT_EQ(process.state(), QProcess::NotRunning);
    EXPECT_EQ(process.exitCode(), 2);
}

class BadArguments : public testing::TestWithParam<QStringList> { };

TEST_P(BadArguments, AreRefusedWithAMessage)
{
    QProcess process;
    QStringList args { "--port", QString::number(veskat_test::freeLoopbackPort()), "--duration", "5" };
    process.start(program(), args + GetParam());
    ASSERT_TRUE(process.waitForFinished(kTimeoutMs));
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_FALSE(process.readAllStandardError().isEmpty());
    EXPECT_FALSE(process.readAllStandardOutput().contains("ready"));
}

INSTANTIATE_TEST_SUITE_P(Table, BadArguments,
    testing::Values(QStringList { "--size", "640" }, QStringList { "--size", "0x0" },
        QStringList { "--fps", "0" }, QStringList { "--quality", "101" }, QStringList { "--auth", "digest" },
        QStringList { "--auth", "ntlm", "--user", "u" }, QStringList { "--cameras", "0" },
        QStringList { "--stall-after", "-3" }, QStringList { "--live", "--precoded" }));

TEST(Process, AnUnknownOptionIsOneLineOnStandardErrorWithExitCode2)
{
    for (const char* option : { "--unknown", "-u" }) {
        QProcess process;
        process.start(program(), { "--duration", "5", option });
        ASSERT_TRUE(process.waitForFinished(kTimeoutMs));
        EXPECT_EQ(process.exitCode(), 2) << option;
        const QByteArray err = process.readAllStandardError();
        EXPECT_EQ(err.count('\n'), 1) << err.toStdString();
        EXPECT_TRUE(err.contains(option)) << err.toStdString();
        EXPECT_FALSE(process.readAllStandardOutput().contains("ready"));
    }
}

TEST(Process, VersionIsTheReleaseNumberOfTheBuild)
{
    QProcess process;
    process.start(program(), { "--version" });
    ASSERT_TRUE(process.waitForFinished(kTimeoutMs));
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_EQ(process.readAllStandardOutput(), QByteArray("veskat-testcam ") + buildinfo::kVersion + "\n");
}

} // namespace
