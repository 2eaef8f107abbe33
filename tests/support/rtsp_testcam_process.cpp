// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/support/rtsp_testcam_process.h"

#include "tests/support/test_env.h"

#include <QRegularExpression>

#include <cstdlib>

namespace veskat_test {

QString RtspTestcamProcess::program()
{
    return QString::fromStdString((buildDir() / "tools" / "rtsp-testcam" / "veskat-rtsp-testcam").string());
}

RtspTestcamProcess::RtspTestcamProcess(QStringList args, int seconds, int readyDeadlineMs)
{
    SpawnOptions options;
    options.keepErrorOutput = true;
    // GLib keeps a buffer from its library constructor for good; under the
    // leak checker only a full unwind reaches _dl_init, which the suppressions name.
    if (const char* leakOptions = std::getenv("LSAN_OPTIONS"))
        options.environment.emplace_back(
            "LSAN_OPTIONS", std::string(leakOptions) + ":fast_unwind_on_malloc=0");
    // The camera is GStreamer's test tooling, not the viewer: under
    // ThreadSanitizer, GStreamer's own lock order reports would end it
    // mid-test. The viewer's side stays watched.
    options.environment.emplace_back("TSAN_OPTIONS", "report_bugs=0");
    for (const QString& arg : QStringList { "--seconds", QString::number(seconds) } + args)
        options.arguments.push_back(arg.toStdString());
    m_process = std::make_unique<SpawnedProcess>(program().toStdString(), options);
    static const QRegularExpression kListening(QStringLiteral("listening on rtsp://127\\.0\\.0\\.1:(\\d+)/"));
    const std::string& out = m_process->readOutputUntil(
        [](const std::string& text) { return text.find('\n') != std::string::npos; },
        std::chrono::milliseconds(readyDeadlineMs));
    m_banner = QString::fromStdString(out).section(QLatin1Char('\n'), 0, 0);
    const QRegularExpressionMatch match = kListening.match(m_banner);
    if (match.hasMatch())
        m_port = match.captured(1).toInt();
}

RtspTestcamProcess::~RtspTestcamProcess()
{
    stop();
}

QString RtspTestcamProcess::url(int camera, const QString& userInfo) const
{
    const QString credentials = userInfo.isEmpty() ? QString() : userInfo + QLatin1Char('@');
    return QStringLiteral("rtsp://") + credentials
        + QStringLiteral("127.0.0.1:%1/cam%2").arg(m_port).arg(camera);
}

QString RtspTestcamProcess::errorOutput()
{
    return QString::fromStdString(m_process ? m_process->errorOutput() : m_stderr);
}

int RtspTestcamProcess::stop()
{
    if (!m_process)
        return -1;
    const std::optional<int> code = m_process->stop(std::chrono::milliseconds(10000));
    m_stderr = m_process->errorOutput();
    m_process.reset();
    m_port = 0;
    return code.value_or(-1);
}

} // namespace veskat_test
