// SPDX-License-Identifier: GPL-2.0-or-later
// Several processes on one store (Linux only): writers at once lose nothing,
// and a killed writer loses nothing it was told had been written.
#include "tests/core/settings/registry_fixture.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace settings_test {
namespace {

class StoreProcessesTest : public RegistryTest { };

std::string valueName(int writer, int i)
{
    return "w" + std::to_string(writer) + "-" + std::to_string(i);
}

// In a child: writes `count` values; exits 0 when every write succeeded.
[[noreturn]] void writeValues(int writer, int count, int ackFd)
{
    int failures = 0;
    for (int i = 0; i < count; ++i) {
        const std::string path = std::string(kScratchPath) + "\\Writer" + std::to_string(writer % 2);
        HKEY key = nullptr;
        DWORD disposition = 0;
        LONG rc = RegCreateKeyExA(
            HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &disposition);
        if (rc == ERROR_SUCCESS) {
            const std::string data = std::to_string(i);
            rc = RegSetValueExA(key, valueName(writer, i).c_str(), 0, REG_SZ,
                reinterpret_cast<const BYTE*>(data.c_str()), static_cast<DWORD>(data.size() + 1));
            RegCloseKey(key);
        }
        if (rc != ERROR_SUCCESS) {
            ++failures;
            continue;
        }
        if (ackFd >= 0) {
            const int acknowledged = i;
            if (::write(ackFd, &acknowledged, sizeof acknowledged) != sizeof acknowledged)
                ::_exit(3);
        }
    }
    ::_exit(failures == 0 ? 0 : 1);
}

int waitExitCode(pid_t child)
{
    int status = 0;
    if (::waitpid(child, &status, 0) != child)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(StoreProcessesTest, WritersAtOnceLoseNothing)
{
    constexpr int kWriters = 3;
    constexpr int kValues = 150;
    // The store does not exist yet: the writers also race to create it.
    std::vector<pid_t> children;
    for (int w = 0; w < kWriters; ++w) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            writeValues(w, kValues, -1);
        children.push_back(child);
    }
    for (const pid_t child : children)
        EXPECT_EQ(waitExitCode(child), 0);
    for (int w = 0; w < kWriters; ++w) {
        const std::string path = std::string(kScratchPath) + "\\Writer" + std::to_string(w % 2);
        for (int i = 0; i < kValues; ++i) {
            const std::string data = std::to_string(i);
            ASSERT_EQ(getRaw(path, valueName(w, i)), (RawValue { REG_SZ, data + std::string(1, '\0') }))
                << valueName(w, i);
        }
    }
}

TEST_F(StoreProcessesTest, KilledWriterLosesNothingAcknowledged)
{
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(pipeFds[0]);
        writeValues(0, 1000000, pipeFds[1]);
    }
    ::close(pipeFds[1]);
    int last = -1;
    int received = 0;
    while (received < 60) {
        int acknowledged = 0;
        if (::read(pipeFds[0], &acknowledged, sizeof acknowledged) != sizeof acknowledged)
            break;
        last = acknowledged;
        ++received;
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ::close(pipeFds[0]);
    ASSERT_EQ(received, 60);
    const std::string path = std::string(kScratchPath) + "\\Writer0";
    for (int i = 0; i <= last; ++i)
        ASSERT_EQ(getRaw(path, valueName(0, i)).type, static_cast<DWORD>(REG_SZ)) << i;

    // The store is still sound and writable after the kill.
    EXPECT_EQ(setRaw(path, "after", REG_SZ, "x"), ERROR_SUCCESS);
    EXPECT_EQ(getRaw(path, "after"), (RawValue { REG_SZ, "x" }));
}

} // namespace
} // namespace settings_test
