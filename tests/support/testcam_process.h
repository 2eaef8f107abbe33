#pragma once
// Starts veskat-testcam on loopback for a test or a benchmark and stops it
// again. The camera is always started with --duration, so it also stops by
// itself should the caller die. Ports are chosen free at start; a clash is
// retried on other ports.
#include <QProcess>
#include <QString>
#include <QStringList>

#include <memory>

namespace veskat_test {

// How to launch the camera; the defaults suit tests.
struct TestcamLaunch {
    QString program; // empty: veskat-testcam in buildDir()
    // Large pictures are pre-encoded before "ready", which takes long on a slow machine.
    int readyDeadlineMs = 10000;
    // Keep the camera's stderr (instead of passing it through) so that stop() can read
    // its exit report.
    bool keepExitReport = false;
};

class TestcamProcess {
public:
    // `args` are extra arguments (for example {"--auth", "digest"}).
    explicit TestcamProcess(
        int cameras = 1, QStringList args = {}, int durationSeconds = 120, const TestcamLaunch& launch = {});
    ~TestcamProcess();
    TestcamProcess(const TestcamProcess&) = delete;
    TestcamProcess& operator=(const TestcamProcess&) = delete;

    bool started() const { return m_port != 0; }
    int port(int camera = 0) const { return m_port + camera; }
    // "127.0.0.1:PORT", the "IPAddress" setting of a camera window.
    QString hostPort(int camera = 0) const;
    // The full stream URL of a camera.
    QString url(int camera = 0) const;
    // The first line the camera printed (the one that says "ready").
    QString banner() const { return m_banner; }
    // Stops it. Returns the pictures the camera reports as sent over its whole
    // run; -1 when unknown (stderr not kept, or no report).
    long long stop();

private:
    std::unique_ptr<QProcess> m_process;
    int m_port = 0;
    QString m_banner;
};

// A port on 127.0.0.1 that nothing listens on right now.
int freeLoopbackPort();

} // namespace veskat_test
