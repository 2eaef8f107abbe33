// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/tools/reg/process_runner.h"

#include "tests/support/test_env.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace regtest {
namespace {

namespace fs = std::filesystem;
constexpr auto kDeadline = std::chrono::seconds(60);

struct SpawnActions {
    posix_spawn_file_actions_t actions;
    SpawnActions() { posix_spawn_file_actions_init(&actions); }
    ~SpawnActions() { posix_spawn_file_actions_destroy(&actions); }
};

std::string slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

pid_t spawn(const fs::path& program, const std::vector<std::string>& args, SpawnActions& actions)
{
    std::vector<std::string> argvStrings { program.string() };
    argvStrings.insert(argvStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argvStrings)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, program.c_str(), &actions.actions, nullptr, argv.data(), environ);
    if (rc != 0)
        throw std::runtime_error("cannot start " + program.string() + ": " + std::to_string(rc));
    return pid;
}

// Waits for the child; `pump` is called while waiting (to drain a terminal).
template <typename Pump> int waitFor(pid_t pid, Pump pump)
{
    const auto deadline = std::chrono::steady_clock::now() + kDeadline;
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (done < 0 && errno != EINTR)
            return -1;
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        pump(std::chrono::milliseconds(20));
    }
}

} // namespace

ProcessResult runProgram(const fs::path& program, const std::vector<std::string>& args)
{
    const auto dir = veskat_test::makeTempDir("veskat-reg-run");
    const auto outPath = dir / "out";
    const auto errPath = dir / "err";
    SpawnActions actions;
    posix_spawn_file_actions_addopen(&actions.actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(
        &actions.actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(
        &actions.actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const pid_t pid = spawn(program, args, actions);
    ProcessResult result;
    result.exitCode = waitFor(pid, [](auto pause) { std::this_thread::sleep_for(pause); });
    result.out = slurp(outPath);
    result.err = slurp(errPath);
    std::error_code ec;
    fs::remove_all(dir, ec);
    return result;
}

ProcessResult runOnTerminal(
    const fs::path& program, const std::vector<std::string>& args, const std::string& terminalInput)
{
    int master = -1;
    int slave = -1;
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
        throw std::runtime_error("openpty failed");
    const auto dir = veskat_test::makeTempDir("veskat-reg-run");
    const auto errPath = dir / "err";
    SpawnActions actions;
    posix_spawn_file_actions_adddup2(&actions.actions, slave, 0);
    posix_spawn_file_actions_adddup2(&actions.actions, slave, 1);
    posix_spawn_file_actions_addopen(
        &actions.actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addclose(&actions.actions, master);
    posix_spawn_file_actions_addclose(&actions.actions, slave);

    // Typed ahead: the terminal keeps the lines until the program reads them.
    if (write(master, terminalInput.data(), terminalInput.size())
        != static_cast<ssize_t>(terminalInput.size()))
        throw std::runtime_error("cannot type into the terminal");
    const pid_t pid = spawn(program, args, actions);
    close(slave);

    ProcessResult result;
    const auto drain = [&](auto pause) {
        pollfd p { master, POLLIN, 0 };
        while (poll(&p, 1, static_cast<int>(pause.count())) > 0 && (p.revents & POLLIN)) {
            char buf[4096];
            const auto n = read(master, buf, sizeof buf);
            if (n <= 0)
                break;
            result.out.append(buf, static_cast<std::size_t>(n));
        }
    };
    result.exitCode = waitFor(pid, drain);
    drain(std::chrono::milliseconds(0));
    close(master);
    result.err = slurp(errPath);
    std::error_code ec;
    fs::remove_all(dir, ec);
    return result;
}

} // namespace regtest
