// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/monitor/debug_log.h"

#include "core/drive_c/drive_c.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace camera {

namespace {
struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;
} // namespace

std::string debugLogName(int cameraIndex)
{
    return "c:\\camera_debug" + std::to_string(cameraIndex) + ".txt";
}

bool appendLineCrLf(const std::filesystem::path& file, std::string_view text, std::string& error)
{
    // Binary mode: the line ends in exactly CR LF on every platform.
#ifdef _WIN32
    FileHandle f(_wfopen(file.c_str(), L"ab"));
#else
    FileHandle f(std::fopen(file.c_str(), "ab"));
#endif
    if (!f) {
        error = std::strerror(errno);
        return false;
    }
    std::string line(text);
    line += "\r\n";
    const bool written = std::fwrite(line.data(), 1, line.size(), f.get()) == line.size();
    int savedErrno = errno;
    // A full disk often shows only when the buffer is flushed at close.
    const bool closed = std::fclose(f.release()) == 0;
    if (!closed && written)
        savedErrno = errno;
    if (!written || !closed) {
        error = std::strerror(savedErrno);
        return false;
    }
    return true;
}

bool DebugLog::append(std::string_view text)
{
    const std::string name = debugLogName(m_cameraIndex);
    const std::filesystem::path file = platform::mapDriveCPath(name);
    std::string error;
    if (appendLineCrLf(file, text, error))
        return true;
    if (!m_failureReported) {
        m_failureReported = true;
        std::fprintf(stderr, "veskat-cameras: camera #%d: cannot write the debug log %s (%s): %s\n",
            m_cameraIndex + 1, name.c_str(), file.string().c_str(), error.c_str());
    }
    return false;
}

} // namespace camera
