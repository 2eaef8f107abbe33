// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/support/testcam_process.h"

#include "tests/support/test_env.h"

#include <QRegularExpression>
#include <QTcpServer>

namespace veskat_test {

int freeLoopbackPort()
{
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, 0))
        return 0;
    return server.serverPort();
}

TestcamProcess::TestcamProcess(
    int cameras, QStringList args, int durationSeconds, const TestcamLaunch& launch)
{
    const std::string program = !launch.program.isEmpty()
        ? launch.program.toStdString()
        : (buildDir() / "tools" / "testcam" / "veskat-testcam").string();
    SpawnOptions options;
    options.keepErrorOutput = launch.keepExitReport;
    for (const QString& arg :
        QStringList { "--cameras", QString::number(cameras), "--port", QString::number(launch.port),
            "--duration", QString::number(durationSeconds) }
            + args)
        options.arguments.push_back(arg.toStdString());
    // A port of a camera stopped a moment ago may take a moment to be free again.
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(launch.readyDeadlineMs);
    static const QRegularExpression kReady(QStringLiteral("ready on 127\\.0\\.0\\.1, ports((?: \\d+)+)"));
    do {
        auto process = std::make_unique<SpawnedProcess>(program, options);
        const auto left
            = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        const QString out = QString::fromStdString(process->readOutputUntil(
            [](const std::string& text) {
                return text.find("ready") != std::string::npos && text.back() == '\n';
            },
            left));
        const QRegularExpressionMatch ready = kReady.match(out);
        if (ready.hasMatch()) {
            for (const QString& port : ready.captured(1).split(QLatin1Char(' '), Qt::SkipEmptyParts))
                m_ports.push_back(port.toInt());
            m_banner = out.section(QLatin1Char('\n'), 0, 0);
            m_process = std::move(process);
            return;
        }
        process->stop(std::chrono::milliseconds(3000));
    } while (launch.port != 0 && std::chrono::steady_clock::now() < end);
}

TestcamProcess::~TestcamProcess()
{
    stop();
}

int TestcamProcess::port(int camera) const
{
    return camera >= 0 && camera < static_cast<int>(m_ports.size()) ? m_ports[static_cast<size_t>(camera)]
                                                                    : 0;
}

long long TestcamProcess::stop()
{
    if (!m_process)
        return -1;
    // A camera serving many large streams may take a while to write its report.
    m_process->stop(std::chrono::milliseconds(10000));
    const QString report = QString::fromStdString(m_process->errorOutput());
    m_process.reset();
    const QRegularExpressionMatch match
        = QRegularExpression(QStringLiteral("(\\d+) pictures sent")).match(report);
    return match.hasMatch() ? match.captured(1).toLongLong() : -1;
}

QString TestcamProcess::hostPort(int camera) const
{
    return QStringLiteral("127.0.0.1:%1").arg(port(camera));
}

QString TestcamProcess::url(int camera) const
{
    return QStringLiteral("http://%1/axis-cgi/mjpg/video.cgi").arg(hostPort(camera));
}

} // namespace veskat_test
