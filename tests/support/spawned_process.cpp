// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/support/spawned_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

extern char** environ;

namespace veskat_test {

namespace {

using Clock = std::chrono::steady_clock;

int msLeft(Clock::time_point end)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

std::vector<std::string> environmentWith(const std::vector<std::pair<std::string, std::string>>& extra)
{
    std::vector<std::string> all;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        const bool replaced = std::any_of(
            extra.begin(), extra.end(), [&](const auto& e) { return text.rfind(e.first + '=', 0) == 0; });
        if (!replaced)
            all.push_back(text);
    }
    for (const auto& [name, value] : extra)
        all.push_back(name + '=' + value);
    return all;
}

std::vector<char*> pointers(std::vector<std::string>& strings)
{
    std::vector<char*> result;
    for (std::string& s : strings)
        result.push_back(s.data());
    result.push_back(nullptr);
    return result;
}

} // namespace

SpawnedProcess::SpawnedProcess(const std::string& program, const SpawnOptions& options)
{
    int out[2];
    int in[2];
    if (::pipe2(out, O_CLOEXEC) != 0)
        return;
    if (::pipe2(in, O_CLOEXEC) != 0) {
        ::close(out[0]);
        ::close(out[1]);
        return;
    }
    if (options.keepErrorOutput)
        m_errFd = ::memfd_create("stderr", MFD_CLOEXEC);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    if (m_errFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, m_errFd, 2);
    std::vector<std::string> argStrings { program };
    argStrings.insert(argStrings.end(), options.arguments.begin(), options.arguments.end());
    std::vector<std::string> envStrings = environmentWith(options.environment);
    pid_t pid = -1;
    const int error = ::posix_spawn(
        &pid, program.c_str(), &actions, nullptr, pointers(argStrings).data(), pointers(envStrings).data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    m_outFd = out[0];
    if (error == 0) {
        m_pid = pid;
        // Small inputs only: they fit the pipe, so this never blocks.
        if (!options.input.empty()) [[maybe_unused]]
            const auto written = ::write(in[1], options.input.data(), options.input.size());
    }
    ::close(in[1]);
}

SpawnedProcess::~SpawnedProcess()
{
    if (m_pid > 0 && !m_exited) {
        ::kill(m_pid, SIGKILL);
        waitForExit(std::chrono::milliseconds(10000));
    }
    if (m_outFd >= 0)
        ::close(m_outFd);
    if (m_errFd >= 0)
        ::close(m_errFd);
}

bool SpawnedProcess::readSome(int timeoutMs)
{
    if (m_outFd < 0)
        return false;
    pollfd p { m_outFd, POLLIN, 0 };
    if (::poll(&p, 1, timeoutMs) <= 0)
        return true; // nothing yet; still open
    char buffer[4096];
    const ssize_t n = ::read(m_outFd, buffer, sizeof buffer);
    if (n > 0) {
        m_output.append(buffer, static_cast<size_t>(n));
        return true;
    }
    if (n < 0 && errno == EINTR)
        return true;
    ::close(m_outFd);
    m_outFd = -1;
    return false;
}

const std::string& SpawnedProcess::readOutputUntil(
    const std::function<bool(const std::string&)>& done, std::chrono::milliseconds deadline)
{
    const auto end = Clock::now() + deadline;
    while (!done(m_output) && m_outFd >= 0 && msLeft(end) > 0)
        readSome(msLeft(end));
    return m_output;
}

std::optional<int> SpawnedProcess::waitForExit(std::chrono::milliseconds deadline)
{
    if (m_pid <= 0 || m_exited)
        return m_exitCode;
    const auto end = Clock::now() + deadline;
    // A pidfd becomes readable when the program exits, so the wait needs no polling interval.
    const int pidFd = static_cast<int>(::syscall(SYS_pidfd_open, m_pid, 0));
    for (;;) {
        int status = 0;
        const pid_t r = ::waitpid(m_pid, &status, WNOHANG);
        if (r == m_pid) {
            m_exited = true;
            if (WIFEXITED(status))
                m_exitCode = WEXITSTATUS(status);
            break;
        }
        if ((r < 0 && errno != EINTR) || msLeft(end) == 0)
            break;
        pollfd p { pidFd, POLLIN, 0 };
        ::poll(&p, pidFd >= 0 ? 1 : 0, pidFd >= 0 ? msLeft(end) : 10);
    }
    if (pidFd >= 0)
        ::close(pidFd);
    return m_exitCode;
}

std::optional<int> SpawnedProcess::finish(std::chrono::milliseconds deadline)
{
    const auto end = Clock::now() + deadline;
    while (m_outFd >= 0 && msLeft(end) > 0)
        readSome(msLeft(end));
    return waitForExit(std::chrono::milliseconds(msLeft(end)));
}

std::optional<int> SpawnedProcess::stop(std::chrono::milliseconds grace)
{
    if (m_pid <= 0 || m_exited)
        return m_exitCode;
    ::kill(m_pid, SIGTERM);
    waitForExit(grace);
    if (!m_exited) {
        ::kill(m_pid, SIGKILL);
        waitForExit(std::chrono::milliseconds(10000));
    }
    return m_exitCode;
}

std::string SpawnedProcess::errorOutput() const
{
    std::string text;
    if (m_errFd < 0)
        return text;
    char buffer[4096];
    off_t offset = 0;
    for (ssize_t n; (n = ::pread(m_errFd, buffer, sizeof buffer, offset)) > 0; offset += n)
        text.append(buffer, static_cast<size_t>(n));
    return text;
}

} // namespace veskat_test
