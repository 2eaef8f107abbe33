// SPDX-License-Identifier: GPL-2.0-or-later
// veskat-probe as an operator runs it: its lines, its summary and exit code.
#include "tests/support/spawned_process.h"
#include "tests/support/test_env.h"
#include "tests/support/testcam_process.h"

#include "veskat_version.h"

#include <QStandardPaths>
#include <gtest/gtest.h>

namespace {

struct ProbeRun {
    int exitCode = -1;
    QStringList lines;
    QString err;
};

// `input` goes to the probe's standard input; `password` into its environment.
ProbeRun runProbe(
    const QStringList& arguments, const std::string& input = {}, const std::string& password = {})
{
    veskat_test::SpawnOptions options;
    for (const QString& argument : arguments)
        options.arguments.push_back(argument.toStdString());
    if (!password.empty())
        options.environment.emplace_back("VESKAT_PROBE_PASSWORD", password);
    options.input = input;
    options.keepErrorOutput = true;
    veskat_test::SpawnedProcess probe(
        (veskat_test::buildDir() / "tools" / "probe" / "veskat-probe").string(), options);
    ProbeRun run;
    run.exitCode = probe.finish(std::chrono::seconds(60)).value_or(-1);
    run.lines = QString::fromStdString(probe.output()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    run.err = QString::fromStdString(probe.errorOutput());
    return run;
}

bool hasStatusLine(const ProbeRun& run, int code)
{
    const QString marker = QStringLiteral(" %1 ").arg(code);
    return std::any_of(
        run.lines.begin(), run.lines.end(), [&](const QString& l) { return l.contains(marker); });
}

TEST(Probe, ReportsPlayingAndAPictureRate)
{
    veskat_test::TestcamProcess camera(1, { "--user", "op", "--password", "pw", "--auth", "digest" });
    ASSERT_TRUE(camera.started());
    const ProbeRun run = runProbe({ camera.url(), "--user", "op", "--password", "pw", "--seconds", "3" });
    EXPECT_EQ(run.exitCode, 0) << run.lines.join('\n').toStdString();
    EXPECT_TRUE(hasStatusLine(run, 2)) << run.lines.join('\n').toStdString();
    ASSERT_FALSE(run.lines.isEmpty());
    const QString summary = run.lines.last();
    EXPECT_TRUE(summary.contains(QStringLiteral("picture size 640x480"))) << summary.toStdString();
    EXPECT_TRUE(summary.contains(QStringLiteral("pictures/s"))) << summary.toStdString();
    EXPECT_FALSE(summary.contains(QStringLiteral("decoded 0,"))) << summary.toStdString();
}

TEST(Probe, FailureEndsWithTheLastStatusAndANonZeroExit)
{
    veskat_test::TestcamProcess camera(1, { "--user", "op", "--password", "pw", "--auth", "basic" });
    ASSERT_TRUE(camera.started());
    const ProbeRun run = runProbe({ camera.url(), "--user", "op", "--password", "nope", "--seconds", "5" });
    EXPECT_NE(run.exitCode, 0);
    ASSERT_FALSE(run.lines.isEmpty());
    EXPECT_TRUE(run.lines.last().startsWith(QStringLiteral("status 1028 Wrong user name or password")))
        << run.lines.last().toStdString();
}

TEST(Probe, PasswordComesFromTheEnvironmentOrStandardInput)
{
    // Neither shows in the process list, as --password does.
    veskat_test::TestcamProcess camera(1, { "--user", "op", "--password", "pw", "--auth", "basic" });
    ASSERT_TRUE(camera.started());
    const ProbeRun fromEnvironment = runProbe({ camera.url(), "--user", "op", "--seconds", "2" }, {}, "pw");
    EXPECT_EQ(fromEnvironment.exitCode, 0) << fromEnvironment.lines.join('\n').toStdString();
    const ProbeRun fromInput
        = runProbe({ camera.url(), "--user", "op", "--password-stdin", "--seconds", "2" }, "pw\r\n", "wrong");
    EXPECT_EQ(fromInput.exitCode, 0) << fromInput.lines.join('\n').toStdString();
}

TEST(Probe, TakesACameraAddressAsTheViewerDoes)
{
    veskat_test::TestcamProcess camera(1);
    ASSERT_TRUE(camera.started());
    const ProbeRun run = runProbe({ camera.hostPort(), "--seconds", "2" });
    EXPECT_EQ(run.exitCode, 0) << run.lines.join('\n').toStdString();
}

TEST(Probe, NeverPrintsTheUserPartOfAnAddress)
{
    const ProbeRun run = runProbe({ "http://op:s3cret@/axis-cgi/mjpg/video.cgi", "--seconds", "1" });
    EXPECT_NE(run.exitCode, 0);
    EXPECT_TRUE(hasStatusLine(run, 1031)) << run.lines.join('\n').toStdString();
    EXPECT_FALSE(run.lines.join('\n').contains(QStringLiteral("s3cret")))
        << run.lines.join('\n').toStdString();
}

TEST(Probe, UnreachableCameraEndsWith1025)
{
    const int port = veskat_test::freeLoopbackPort();
    const ProbeRun run = runProbe(
        { QStringLiteral("http://127.0.0.1:%1/axis-cgi/mjpg/video.cgi").arg(port), "--seconds", "2" });
    EXPECT_NE(run.exitCode, 0);
    ASSERT_FALSE(run.lines.isEmpty());
    EXPECT_TRUE(run.lines.last().startsWith(QStringLiteral("status 1025 ")))
        << run.lines.last().toStdString();
}

TEST(Probe, ShortRunsOnLargePicturesEndCleanly)
{
    // The decode threads are busy with 4K pictures when the probe ends: they
    // must stop before the application object goes, without a crash or a hang.
    // A camera under ThreadSanitizer takes minutes to pre-encode its 4K pictures.
    veskat_test::TestcamLaunch launch;
    launch.readyDeadlineMs = 300000;
    veskat_test::TestcamProcess camera(1, { "--size", "3840x2160", "--fps", "30" }, 120, launch);
    ASSERT_TRUE(camera.started());
    for (int run = 0; run < 6; ++run) {
        const ProbeRun result = runProbe({ camera.url(), "--seconds", "1" });
        ASSERT_EQ(result.exitCode, 0) << "run " << run << ":\n" << result.lines.join('\n').toStdString();
    }
}

TEST(Probe, BadCommandLineIsRefused)
{
    EXPECT_EQ(runProbe({}).exitCode, 2);
    EXPECT_EQ(runProbe({ "http://127.0.0.1/", "--seconds", "soon" }).exitCode, 2);
    EXPECT_EQ(runProbe({ "http://127.0.0.1/", "--colour" }).exitCode, 2);
}

TEST(Probe, AnUnknownOptionIsOneLineOnStandardError)
{
    for (const char* option : { "--colour", "-c" }) {
        const ProbeRun run = runProbe({ "http://127.0.0.1/", option });
        EXPECT_EQ(run.exitCode, 2) << option;
        EXPECT_TRUE(run.lines.isEmpty()) << option;
        EXPECT_EQ(run.err.count(QLatin1Char('\n')), 1) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QLatin1String(option))) << run.err.toStdString();
    }
}

TEST(Probe, VersionIsTheReleaseNumberOfTheBuild)
{
    const ProbeRun run = runProbe({ "--version" });
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.lines, QStringList { QStringLiteral("veskat-probe %1").arg(buildinfo::kVersion) });
}

// ffmpeg's multipart muxer behind its own HTTP server, which labels the
// stream application/octet-stream.
TEST(Probe, PlaysFfmpegsMultipartStream)
{
    const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    if (ffmpeg.isEmpty())
        GTEST_SKIP() << "ffmpeg is not installed";
    // ffmpeg cannot say which port it took, so this one is probed first.
    const int port = veskat_test::freeLoopbackPort();
    const QString url = QStringLiteral("http://127.0.0.1:%1/axis-cgi/mjpg/video.cgi").arg(port);
    // Serves one client, and stops by itself after 20 s of stream.
    veskat_test::SpawnOptions options;
    options.arguments = { "-loglevel", "error", "-re", "-f", "lavfi", "-i", "testsrc=size=640x360:rate=25",
        "-t", "20", "-c:v", "mjpeg", "-q:v", "5", "-f", "mpjpeg", "-listen", "1", url.toStdString() };
    veskat_test::SpawnedProcess server(ffmpeg.toStdString(), options);
    ASSERT_TRUE(server.started());
    // The probe retries until ffmpeg listens, as it would a camera that boots.
    const ProbeRun run = runProbe({ url, "--seconds", "8" });
    server.stop(std::chrono::seconds(5));
    EXPECT_EQ(run.exitCode, 0) << run.lines.join('\n').toStdString();
    EXPECT_TRUE(hasStatusLine(run, 2)) << run.lines.join('\n').toStdString();
    ASSERT_FALSE(run.lines.isEmpty());
    EXPECT_TRUE(run.lines.last().contains(QStringLiteral("picture size 640x360")))
        << run.lines.last().toStdString();
}

} // namespace
