// SPDX-License-Identifier: GPL-2.0-or-later
// parser-bench: throughput of the multipart parser on camera-like streams
// (200 kB pictures fed in 16 kB pieces, as libcurl hands them over).
// Prints figures; asserts nothing.
#include "core/settings/camera_schema.h"
#include "media/mjpeg_parser/multipart_parser.h"

#include <chrono>
#include <cstdio>
#include <random>
#include <string>

namespace {

std::string picture(std::size_t size, std::mt19937& rng)
{
    std::string body(size, '\0');
    for (auto& c : body)
        c = static_cast<char>(rng());
    body[0] = '\xff';
    body[1] = '\xd8';
    body[size - 2] = '\xff';
    body[size - 1] = '\xd9';
    return body;
}

std::string stream(std::size_t pictures, std::size_t size, bool withLength, const char* eol)
{
    std::mt19937 rng(42);
    std::string s;
    for (std::size_t i = 0; i < pictures; ++i) {
        const std::string body = picture(size, rng);
        s += std::string("--myboundary") + eol + "Content-Type: image/jpeg" + eol;
        if (withLength)
            s += "Content-Length: " + std::to_string(body.size()) + eol;
        s += "X-Send-Time-Us: 1712345678901234" + std::string(eol) + eol + body + eol;
    }
    return s;
}

// Stops the compiler from leaving out a copy that is never read in full.
void keepCopy(std::string& copy)
{
#if defined(__GNUC__)
    asm volatile("" : : "r"(copy.data()) : "memory");
#else
    static char* volatile sink;
    sink = copy.data();
#endif
}

// The floor: one copy of every picture into its own buffer.
void copyOnly(const std::string& bytes, std::size_t size)
{
    constexpr int kRounds = 20;
    std::size_t checksum = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < kRounds; ++round) {
        for (std::size_t at = 0; at + size <= bytes.size(); at += size) {
            std::string copy(bytes, at, size);
            keepCopy(copy);
            checksum += static_cast<unsigned char>(copy[size / 2]);
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%-34s %8.0f MB/s (%zu)\n", "copy only, for comparison",
        bytes.size() * kRounds / 1e6 / seconds, checksum % 10);
}

void run(const char* name, const std::string& bytes, std::size_t piece, std::size_t expected)
{
    constexpr int kRounds = 20;
    std::size_t parts = 0;
    std::size_t checksum = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < kRounds; ++round) {
        media::MultipartParser parser(std::string("myboundary"));
        for (std::size_t at = 0; at < bytes.size(); at += piece) {
            parser.feed(std::string_view(bytes).substr(at, piece), [&](media::MultipartPart&& part) {
                ++parts;
                checksum += part.body.size();
            });
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double megabytes = static_cast<double>(bytes.size()) * kRounds / 1e6;
    std::printf("%-34s %8.0f MB/s %9.0f parts/s %s\n", name, megabytes / seconds,
        static_cast<double>(parts) / seconds, parts == expected * kRounds ? "" : "(WRONG PART COUNT)");
    (void)checksum;
}

} // namespace

int main()
{
    constexpr std::size_t kPictures = 100;
    constexpr std::size_t kSize = 200 * 1000;
    std::printf("multipart parser, %zu pictures of %zu bytes, 20 rounds\n", kPictures, kSize);
    const std::string withLength = stream(kPictures, kSize, true, "\r\n");
    const std::string withoutLength = stream(kPictures, kSize, false, "\r\n");
    const std::string lfOnly = stream(kPictures, kSize, false, "\n");
    // The last picture of a stream without lengths ends only with the next boundary.
    run("Content-Length, 16 kB pieces", withLength, 16384, kPictures);
    run("no Content-Length, 16 kB pieces", withoutLength, 16384, kPictures - 1);
    run("no Content-Length, LF, 16 kB", lfOnly, 16384, kPictures - 1);
    run("Content-Length, 1460 B pieces", withLength, 1460, kPictures);
    run("Content-Length, whole stream", withLength, withLength.size(), kPictures);
    copyOnly(withLength, kSize);
    // For scale: every camera at 25 pictures/s x 200 kB.
    std::printf("needed for %d cameras x 25/s x 200 kB: %.0f MB/s\n", Veskat::kCameraCount,
        Veskat::kCameraCount * 25 * 0.2);
    return 0;
}
