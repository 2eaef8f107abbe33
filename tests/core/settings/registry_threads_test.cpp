// SPDX-License-Identifier: GPL-2.0-or-later
// Writers on several threads at once lose nothing.
#include "tests/core/settings/registry_fixture.h"

#include <thread>

namespace settings_test {
namespace {

class RegistryThreadsTest : public RegistryTest { };

std::string threadPath(int thread)
{
    std::string path = kScratchPath;
    path += "\\Shared\\Thread";
    path += std::to_string(thread);
    return path;
}

// Built by appending: GCC 12 warns falsely (-Wrestrict) on "v" + std::to_string(i) here.
std::string numbered(const char* prefix, int number)
{
    std::string text = prefix;
    text += std::to_string(number);
    return text;
}

TEST_F(RegistryThreadsTest, ConcurrentWritersLoseNothing)
{
    constexpr int kThreads = 4;
    constexpr int kValuesEach = 100;
    std::vector<std::thread> writers;
    std::vector<int> failures(kThreads, 0);
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([t, &failures] {
            for (int i = 0; i < kValuesEach; ++i) {
                // Every thread also creates the shared key path, racing the others.
                const std::string path = threadPath(t);
                const std::string name = numbered("v", i);
                const std::string data = std::to_string(t * 1000 + i) + std::string(1, '\0');
                if (setRaw(path, name, REG_SZ, data) != ERROR_SUCCESS)
                    ++failures[t];
            }
        });
    }
    for (auto& writer : writers)
        writer.join();
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(failures[t], 0) << t;
        const std::string path = threadPath(t);
        for (int i = 0; i < kValuesEach; ++i)
            ASSERT_EQ(getRaw(path, numbered("v", i)),
                (RawValue { REG_SZ, std::to_string(t * 1000 + i) + std::string(1, '\0') }))
                << path << " v" << i;
    }
}

} // namespace
} // namespace settings_test
