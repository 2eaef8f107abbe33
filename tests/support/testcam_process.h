#pragma once
// Starts veskat-testcam on loopback for a test and stops it again. The camera
// is always started with --duration, so it also stops by itself should the
// test die. Ports are chosen free at start; a clash is retried on other ports.
#include <QProcess>
#include <QStringList>

#include <memory>

namespace veskat_test {

class TestcamProcess {
public:
    // `args` are extra arguments (for example {"--auth", "digest"}).
    explicit TestcamProcess(int cameras = 1, QStringList args = {}, int durationSeconds = 120);
    ~TestcamProcess();
    TestcamProcess(const TestcamProcess&) = delete;
    TestcamProcess& operator=(const TestcamProcess&) = delete;

    bool started() const { return m_port != 0; }
    int port(int camera = 0) const { return m_port + camera; }
    // "127.0.0.1:PORT", the "IPAddress" setting of a camera window.
    QString hostPort(int camera = 0) const;
    // The full stream URL of a camera.
    QString url(int camera = 0) const;
    void stop();

private:
    std::unique_ptr<QProcess> m_process;
    int m_port = 0;
};

// A port on 127.0.0.1 that nothing listens on right now.
int freeLoopbackPort();

} // namespace veskat_test
