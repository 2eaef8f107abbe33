// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Starts veskat-rtsp-testcam on loopback for a test or a benchmark and stops
// it again. The camera picks a free port itself and prints it, so nothing
// races for a port; it is always started with --seconds, so it also stops by
// itself should the caller die. Started with posix_spawn, so ThreadSanitizer
// follows the test across it. Test thread only.
#include "tests/support/spawned_process.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace veskat_test {

class RtspTestcamProcess {
public:
    // `args` are extra arguments (for example {"--codec", "h265", "--auth", "digest"}).
    explicit RtspTestcamProcess(QStringList args = {}, int seconds = 120, int readyDeadlineMs = 10000);
    ~RtspTestcamProcess();
    RtspTestcamProcess(const RtspTestcamProcess&) = delete;
    RtspTestcamProcess& operator=(const RtspTestcamProcess&) = delete;

    bool started() const { return m_port != 0; }
    int port() const { return m_port; }
    // rtsp://127.0.0.1:PORT/camN, with "user:password@" when `userInfo` is given.
    QString url(int camera = 0, const QString& userInfo = {}) const;
    // The line the camera printed once it listened.
    QString banner() const { return m_banner; }
    // What it wrote to standard error (its exit report among it); complete after stop().
    QString errorOutput();
    // Stops it with SIGTERM, and returns its exit code (-1 when it had to be killed).
    int stop();

    // Where the build put the program.
    static QString program();

private:
    std::unique_ptr<SpawnedProcess> m_process;
    int m_port = 0;
    QString m_banner;
    std::string m_stderr;
};

} // namespace veskat_test
