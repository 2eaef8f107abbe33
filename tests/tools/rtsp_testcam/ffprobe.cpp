// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/tools/rtsp_testcam/ffprobe.h"

#include "tests/support/spawned_process.h"

namespace rtsptestcam_test {

ProbeResult ffprobe(
    const QString& url, const QString& transport, const QString& entries, const QStringList& extra)
{
    veskat_test::SpawnOptions options;
    // -timeout bounds every read: without it a stalled camera blocks ffprobe for good.
    for (const QString& arg :
        QStringList { "-v", "warning", "-rtsp_transport", transport, "-timeout", "5000000", "-select_streams",
            "v", "-show_entries", entries, "-of", "csv=p=0" }
            + extra + QStringList { url })
        options.arguments.push_back(arg.toStdString());
    options.keepErrorOutput = true;
    veskat_test::SpawnedProcess process(VESKAT_FFPROBE, options);
    ProbeResult r;
    const std::optional<int> code = process.finish(std::chrono::seconds(30));
    r.exitCode = code.value_or(-1);
    r.out = QString::fromStdString(process.output());
    r.errors = QString::fromStdString(process.errorOutput());
    if (!code)
        r.errors += QStringLiteral("ffprobe did not finish");
    return r;
}

std::string streamSummary(const ProbeResult& result)
{
    return result.out.trimmed().section(QLatin1Char('\n'), 0, 0).toStdString();
}

} // namespace rtsptestcam_test
