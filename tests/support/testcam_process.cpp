#include "tests/support/testcam_process.h"

#include "tests/support/test_env.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTcpServer>

#include <random>

namespace veskat_test {

int freeLoopbackPort()
{
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, 0))
        return 0;
    return server.serverPort();
}

static bool portsFree(int base, int count)
{
    for (int i = 0; i < count; ++i) {
        QTcpServer s;
        if (!s.listen(QHostAddress::LocalHost, static_cast<quint16>(base + i)))
            return false;
    }
    return true;
}

TestcamProcess::TestcamProcess(
    int cameras, QStringList args, int durationSeconds, const TestcamLaunch& launch)
{
    const QString program = !launch.program.isEmpty()
        ? launch.program
        : QString::fromStdString((buildDir() / "tools" / "testcam" / "veskat-testcam").string());
    std::mt19937 rng(std::random_device {}());
    std::uniform_int_distribution<int> dist(20000, 60000);
    for (int attempt = 0; attempt < 20 && m_port == 0; ++attempt) {
        const int base = dist(rng);
        if (!portsFree(base, cameras))
            continue;
        auto process = std::make_unique<QProcess>();
        process->setProgram(program);
        QStringList all { "--cameras", QString::number(cameras), "--port", QString::number(base),
            "--duration", QString::number(durationSeconds) };
        all += args;
        process->setArguments(all);
        if (!launch.keepExitReport)
            process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start();
        if (!process->waitForStarted(5000))
            continue;
        // The camera prints one line with "ready" once every port listens.
        QByteArray out;
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < launch.readyDeadlineMs && !out.contains("ready")
            && process->state() == QProcess::Running) {
            process->waitForReadyRead(100);
            out += process->readAllStandardOutput();
        }
        if (out.contains("ready")) {
            m_banner = QString::fromLocal8Bit(out).split(QLatin1Char('\n')).value(0);
            m_process = std::move(process);
            m_port = base;
        } else {
            process->kill();
            process->waitForFinished(2000);
        }
    }
}

TestcamProcess::~TestcamProcess()
{
    stop();
}

long long TestcamProcess::stop()
{
    if (!m_process)
        return -1;
    if (m_process->state() != QProcess::NotRunning) {
        m_process->terminate();
        // A camera serving many large streams may take a while to write its report.
        if (!m_process->waitForFinished(10000)) {
            m_process->kill();
            m_process->waitForFinished(3000);
        }
    }
    const QString report = QString::fromLocal8Bit(m_process->readAllStandardError());
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
