// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/support/rtsp_testcam_process.h"

#include "tests/support/test_env.h"

#include <QElapsedTimer>
#include <QRegularExpression>

namespace veskat_test {

QString RtspTestcamProcess::program()
{
    return QString::fromStdString((buildDir() / "tools" / "rtsp-testcam" / "veskat-rtsp-testcam").string());
}

RtspTestcamProcess::RtspTestcamProcess(QStringList args, int seconds, int readyDeadlineMs)
    : m_process(std::make_unique<QProcess>())
{
    m_process->setProgram(program());
    // GLib keeps a buffer from its library constructor for good; under the
    // leak checker only a full unwind reaches _dl_init, which the suppressions name.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (environment.contains(QStringLiteral("LSAN_OPTIONS")))
        environment.insert(QStringLiteral("LSAN_OPTIONS"),
            environment.value(QStringLiteral("LSAN_OPTIONS")) + QStringLiteral(":fast_unwind_on_malloc=0"));
    m_process->setProcessEnvironment(environment);
    m_process->setArguments(QStringList { "--seconds", QString::number(seconds) } + args);
    m_process->start();
    if (!m_process->waitForStarted(5000))
        return;
    static const QRegularExpression kListening(QStringLiteral("listening on rtsp://127\\.0\\.0\\.1:(\\d+)/"));
    QByteArray out;
    QElapsedTimer timer;
    timer.start();
    while (
        timer.elapsed() < readyDeadlineMs && !out.contains('\n') && m_process->state() == QProcess::Running) {
        m_process->waitForReadyRead(100);
        out += m_process->readAllStandardOutput();
    }
    m_banner = QString::fromLocal8Bit(out).section(QLatin1Char('\n'), 0, 0);
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
    if (m_process)
        m_stderr += m_process->readAllStandardError();
    return QString::fromLocal8Bit(m_stderr);
}

int RtspTestcamProcess::stop()
{
    if (!m_process)
        return -1;
    int code = -1;
    if (m_process->state() != QProcess::NotRunning) {
        m_process->terminate();
        if (!m_process->waitForFinished(10000)) {
            m_process->kill();
            m_process->waitForFinished(3000);
        }
    }
    if (m_process->exitStatus() == QProcess::NormalExit)
        code = m_process->exitCode();
    m_stderr += m_process->readAllStandardError();
    m_process.reset();
    m_port = 0;
    return code;
}

} // namespace veskat_test
