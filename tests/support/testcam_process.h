// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Starts veskat-testcam on loopback for a test or a benchmark and stops it
// again. The camera is always started with --duration, so it also stops by
// itself should the caller die. It binds free ports itself and prints them,
// so no other program can take a port between a probe and the bind. Started
// with posix_spawn, so ThreadSanitizer follows the test across it. Test thread only.
#include "tests/support/spawned_process.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace veskat_test {

// How to launch the camera; the defaults suit tests.
struct TestcamLaunch {
    QString program; // empty: veskat-testcam in buildDir()
    // Large pictures are pre-encoded before "ready", which takes long on a slow
    // machine, and many times longer when the camera runs under a sanitizer.
    int readyDeadlineMs = 60000;
    // Keep the camera's stderr (instead of passing it through) so that stop() can read
    // its exit report.
    bool keepExitReport = false;
    // The first camera's port; 0 lets the camera take free ones. A camera
    // that comes back on the port of one stopped before sets it.
    int port = 0;
};

class TestcamProcess {
public:
    // `args` are extra arguments (for example {"--auth", "digest"}).
    explicit TestcamProcess(
        int cameras = 1, QStringList args = {}, int durationSeconds = 120, const TestcamLaunch& launch = {});
    ~TestcamProcess();
    TestcamProcess(const TestcamProcess&) = delete;
    TestcamProcess& operator=(const TestcamProcess&) = delete;

    bool started() const { return !m_ports.empty(); }
    int port(int camera = 0) const;
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
    std::unique_ptr<SpawnedProcess> m_process;
    std::vector<int> m_ports;
    QString m_banner;
};

// A port on 127.0.0.1 that nothing listens on right now, for an address that
// must fail to connect. A program under test takes port 0 instead.
int freeLoopbackPort();

} // namespace veskat_test
