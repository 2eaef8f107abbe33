// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Starts a program for a test with posix_spawn and reads its standard output
// through a pipe. Qt's QProcess forks with a raw clone(), after which
// ThreadSanitizer loses track of the test's locks; posix_spawn it follows, so
// tests that start programs stay in the TSan run. Standard error goes to a
// memory file when kept, so the program never blocks on a full pipe.
// Test thread only.
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace veskat_test {

struct SpawnOptions {
    std::vector<std::string> arguments; // without the program
    // Set in the program's environment on top of the test's own.
    std::vector<std::pair<std::string, std::string>> environment;
    // Written to its standard input, which is then closed.
    std::string input;
    // Keep standard error for errorOutput() instead of passing it through.
    bool keepErrorOutput = false;
};

class SpawnedProcess {
public:
    SpawnedProcess(const std::string& program, const SpawnOptions& options);
    // Kills it, should it still run.
    ~SpawnedProcess();
    SpawnedProcess(const SpawnedProcess&) = delete;
    SpawnedProcess& operator=(const SpawnedProcess&) = delete;

    bool started() const { return m_pid > 0; }
    // Reads standard output until `done` holds for all read so far, the
    // output ends or the deadline passes; returns all read so far.
    const std::string& readOutputUntil(
        const std::function<bool(const std::string&)>& done, std::chrono::milliseconds deadline);
    // Reads standard output to its end and waits for the exit. The exit
    // code, or nothing when killed by a signal or still running at the deadline.
    std::optional<int> finish(std::chrono::milliseconds deadline);
    // SIGTERM, then SIGKILL after `grace`. The exit code as for finish().
    std::optional<int> stop(std::chrono::milliseconds grace);
    const std::string& output() const { return m_output; }
    // What it wrote to standard error, when kept.
    std::string errorOutput() const;

private:
    bool readSome(int timeoutMs);
    std::optional<int> waitForExit(std::chrono::milliseconds deadline);

    int m_pid = -1;
    int m_outFd = -1;
    int m_errFd = -1;
    std::optional<int> m_exitCode;
    bool m_exited = false;
    std::string m_output;
};

} // namespace veskat_test
