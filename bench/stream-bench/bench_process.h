#pragma once
// Process-level measurements for the stream benchmark (Linux /proc and getrusage).
#include <QProcess>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace bench {

double selfCpuSeconds(); // user + system of this process so far
long peakRssKiB(); // this process's peak resident memory
long currentRssKiB(); // this process's resident memory now
double processCpuSeconds(qint64 pid); // of another process, from /proc; -1 when gone

// Runs the event loop for `ms`, or until `done` returns true (polled).
void waitMs(int ms);
bool waitUntil(const std::function<bool()>& done, int deadlineMs);

// veskat-testcam on free loopback ports, stopped with its exit report read.
class Testcam {
public:
    Testcam(const QString& program, int cameras, const QStringList& args);
    ~Testcam();
    bool started() const { return m_port != 0; }
    QString url(int camera) const;
    QString banner() const { return m_banner; }
    // Stops it; returns the pictures it reports as sent (-1 unknown).
    long long stop();

private:
    std::unique_ptr<QProcess> m_process;
    int m_port = 0;
    QString m_banner;
};

} // namespace bench
