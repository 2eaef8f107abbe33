// SPDX-License-Identifier: GPL-2.0-or-later
// settings-bench: prints how long start-up seeding takes on an empty and on a
// full store, and how long one settings read and one write take.
//
//   settings-bench [FOLDER]   FOLDER holds the throw-away stores (default: a
//                             new folder in the system's temporary folder; give
//                             one on the disk the real store lives on).
//
// A start-up is measured in a fresh child process, so it includes opening and
// checking the store as the program does on its first call.
#include "core/seeding/module1.h"
#include "core/settings/camera_schema.h"
#include "core/settings/registry_access.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double millisecondsOf(const std::function<void()>& work)
{
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Runs `work` in a child process and returns the milliseconds it measured.
double inFreshProcess(const std::function<double()>& work)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        const double ms = work();
        const bool written = ::write(fds[1], &ms, sizeof ms) == sizeof ms;
        ::_exit(written ? 0 : 1);
    }
    ::close(fds[1]);
    double ms = -1;
    if (child < 0 || ::read(fds[0], &ms, sizeof ms) != sizeof ms)
        ms = -1;
    ::close(fds[0]);
    if (child > 0)
        ::waitpid(child, nullptr, 0);
    return ms;
}

void useStore(const fs::path& file)
{
    ::setenv("VESKAT_REGISTRY", file.c_str(), 1);
}

void report(const char* what, std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    std::printf("%-44s median %8.3f ms   min %8.3f ms   max %8.3f ms   (%zu runs)\n", what,
        samples[samples.size() / 2], samples.front(), samples.back(), samples.size());
}

} // namespace

int main(int argc, char** argv)
{
    fs::path folder = argc > 1 ? fs::path(argv[1])
                               : fs::temp_directory_path() / ("settings-bench-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    std::printf("settings-bench: stores in %s\n", folder.c_str());

    constexpr int kStartups = 10;
    std::vector<double> empty;
    std::vector<double> full;
    std::vector<double> fullWarm;
    for (int run = 0; run < kStartups; ++run) {
        const fs::path store = folder / ("store-" + std::to_string(run) + ".sqlite3");
        useStore(store);
        empty.push_back(inFreshProcess([] { return millisecondsOf(Module1::SeedSettings); }));
        full.push_back(inFreshProcess([] { return millisecondsOf(Module1::SeedSettings); }));
    }
    for (int run = 0; run < kStartups; ++run)
        fullWarm.push_back(millisecondsOf(Module1::SeedSettings));

    constexpr int kReads = 2000;
    constexpr int kWrites = 200;
    std::vector<double> reads;
    std::vector<double> writes;
    for (int i = 0; i < kReads; ++i)
        reads.push_back(millisecondsOf(
            [i] { Veskat::ReadCameraValue(i % Veskat::kCameraCount, Veskat::CameraValue::Title); }));
    for (int i = 0; i < kWrites; ++i)
        writes.push_back(millisecondsOf([i] {
            Veskat::WriteCameraText(
                i % Veskat::kCameraCount, Veskat::CameraValue::Title, "Camera " + std::to_string(i));
        }));

    report("start-up seeding, empty store", empty);
    report("start-up seeding, full store", full);
    report("seeding again in the same process", fullWarm);
    report("one read (ReadCameraValue)", reads);
    report("one write (WriteCameraText)", writes);

    if (argc <= 1)
        fs::remove_all(folder);
    return 0;
}
