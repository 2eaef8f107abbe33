// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/tools/rtsp_testcam/ffprobe.h"

#include <QProcess>

namespace rtsptestcam_test {

ProbeResult ffprobe(
    const QString& url, const QString& transport, const QString& entries, const QStringList& extra)
{
    QProcess process;
    // -timeout bounds every read: without it a stalled camera blocks ffprobe for good.
    QStringList args { "-v", "warning", "-rtsp_transport", transport, "-timeout", "5000000",
        "-select_streams", "v", "-show_entries", entries, "-of", "csv=p=0" };
    process.start(QStringLiteral(VESKAT_FFPROBE), args + extra + QStringList { url });
    ProbeResult r;
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished(3000);
        r.errors = QStringLiteral("ffprobe did not finish");
        return r;
    }
    r.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    r.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    r.errors = QString::fromLocal8Bit(process.readAllStandardError());
    return r;
}

std::string streamSummary(const ProbeResult& result)
{
    return result.out.trimmed().section(QLatin1Char('\n'), 0, 0).toStdString();
}

} // namespace rtsptestcam_test
