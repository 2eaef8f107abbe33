#include "bench/stream-bench/bench_process.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTimer>

#include <random>
#include <sys/resource.h>
#include <unistd.h>

namespace bench {

double selfCpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec
        + usage.ru_stime.tv_usec / 1e6;
}

long peakRssKiB()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

long currentRssKiB()
{
    QFile file(QStringLiteral("/proc/self/statm"));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = file.readAll().split(' ');
    if (fields.size() < 2)
        return -1;
    return fields[1].toLong() * (sysconf(_SC_PAGESIZE) / 1024);
}

double processCpuSeconds(qint64 pid)
{
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = file.readAll();
    // Fields after the command name, which is in parentheses and may hold blanks.
    const int close = text.lastIndexOf(')');
    const QList<QByteArray> fields = text.mid(close + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    const double ticks = static_cast<double>(sysconf(_SC_CLK_TCK));
    return (fields[11].toDouble() + fields[12].toDouble()) / ticks; // utime, stime
}

void waitMs(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool waitUntil(const std::function<bool()>& done, int deadlineMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > deadlineMs)
            return false;
        waitMs(50);
    }
    return true;
}

namespace {

bool portsFree(int base, int count)
{
    for (int i = 0; i < count; ++i) {
        QTcpServer server;
        if (!server.listen(QHostAddress::LocalHost, static_cast<quint16>(base + i)))
            return false;
    }
    return true;
}

} // namespace

Testcam::Testcam(const QString& program, int cameras, const QStringList& args)
{
    std::mt19937 rng(std::random_device {}());
    std::uniform_int_distribution<int> dist(20000, 60000);
    for (int attempt = 0; attempt < 10 && m_port == 0; ++attempt) {
        const int base = dist(rng);
        if (!portsFree(base, cameras))
            continue;
        auto process = std::make_unique<QProcess>();
        process->setProgram(program);
        process->setArguments(
            QStringList { "--cameras", QString::number(cameras), "--port", QString::number(base) } + args);
        process->start();
        if (!process->waitForStarted(5000))
            continue;
        QByteArray out;
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 60000 && !out.contains("ready") && process->state() == QProcess::Running) {
            process->waitForReadyRead(100);
            out += process->readAllStandardOutput();
        }
        if (out.contains("ready")) {
            m_banner = QString::fromLocal8Bit(out).split(QLatin1Char('\n')).value(0);
            m_process = std::move(process);
            m_port = base;
        } else {
            process->kill();
            process->waitForFinished(3000);
        }
    }
}

Testcam::~Testcam()
{
    stop();
}

QString Testcam::url(int camera) const
{
    return QStringLiteral("http://127.0.0.1:%1/axis-cgi/mjpg/video.cgi").arg(m_port + camera);
}

long long Testcam::stop()
{
    if (!m_process)
        return -1;
    if (m_process->state() != QProcess::NotRunning) {
        m_process->terminate();
        if (!m_process->waitForFinished(10000)) {
            m_process->kill();
            m_process->waitForFinished(3000);
        }
    }
    const QString err = QString::fromLocal8Bit(m_process->readAllStandardError());
    m_process.reset();
    const QRegularExpressionMatch match
        = QRegularExpression(QStringLiteral("(\\d+) pictures sent")).match(err);
    return match.hasMatch() ? match.captured(1).toLongLong() : -1;
}

} // namespace bench
