// SPDX-License-Identifier: GPL-2.0-or-later
// The veskat-cameras program's command line, run as a shell runs it. No case
// here may need a display: the program must answer before it opens one.
#include "tests/support/test_env.h"

#include "veskat_version.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <gmock/gmock.h>

namespace {

struct ViewerRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

ViewerRun runViewer(const QStringList& arguments)
{
    QProcess viewer;
    viewer.setProgram(QString::fromStdString((veskat_test::buildDir() / "app" / "veskat-cameras").string()));
    viewer.setArguments(arguments);
    // An X11 platform with no X server: had the program built its QApplication,
    // Qt would abort here instead of answering.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    viewer.setProcessEnvironment(env);
    viewer.start();
    ViewerRun run;
    if (!viewer.waitForFinished(60000)) {
        viewer.kill();
        viewer.waitForFinished();
        return run;
    }
    run.exitCode = viewer.exitStatus() == QProcess::NormalExit ? viewer.exitCode() : -1;
    run.out = viewer.readAllStandardOutput();
    run.err = viewer.readAllStandardError();
    return run;
}

TEST(ViewerProgram, VersionIsTheReleaseNumberOfTheBuild)
{
    const ViewerRun run = runViewer({ "--version" });
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QByteArray("veskat-cameras ") + buildinfo::kVersion + "\n");
    EXPECT_EQ(run.err, QByteArray());
}

TEST(ViewerProgram, HelpNamesTheOptions)
{
    const ViewerRun run = runViewer({ "--help" });
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith("Usage: veskat-cameras")) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("--version")) << run.out.toStdString();
}

// The demo starts the viewer with Qt's -geometry; Qt's options are not unknown.
TEST(ViewerProgram, QtOptionsAreNotRefused)
{
    const ViewerRun run = runViewer(
        { "-geometry", "1920x1080+0+0", "--platform", "offscreen", "-style=Fusion", "--version" });
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
}

class RefusedCommandLine : public testing::TestWithParam<QStringList> { };

TEST_P(RefusedCommandLine, IsOneLineOnStandardErrorWithExitCode2)
{
    const ViewerRun run = runViewer(GetParam());
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, QByteArray());
    EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
    EXPECT_TRUE(run.err.startsWith("veskat-cameras: ")) << run.err.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Table, RefusedCommandLine,
    testing::Values(QStringList { "--frobnicate" }, QStringList { "-x" }, QStringList { "camera.cfg" },
        QStringList { "-geometry" }, QStringList { "-platform", "offscreen", "--verbose" }));

} // namespace
