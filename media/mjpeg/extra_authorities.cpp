// SPDX-License-Identifier: GPL-2.0-or-later
#include "media/mjpeg/extra_authorities.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>

namespace media {

namespace {

struct FileDescriptor {
    int fd;
    ~FileDescriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

std::string megabytes(std::size_t bytes)
{
    return std::to_string(bytes / (1024 * 1024)) + " MiB";
}

} // namespace

ExtraAuthorities readExtraAuthorities(const std::string& file, std::size_t maxBytes)
{
    ExtraAuthorities result { file, {}, {} };
    // O_NONBLOCK: opening a FIFO with no writer would otherwise wait for one.
    const FileDescriptor in { ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC) };
    struct stat info { };
    if (in.fd < 0 || ::fstat(in.fd, &info) != 0) {
        result.problem = std::strerror(errno);
        return result;
    }
    if (!S_ISREG(info.st_mode)) {
        result.problem = "it is not a regular file";
        return result;
    }
    if (static_cast<std::size_t>(info.st_size) > maxBytes) {
        result.problem = "it is larger than " + megabytes(maxBytes);
        return result;
    }
    // The size is read again as the bytes come: the file may grow meanwhile.
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(in.fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            result.problem = std::strerror(errno);
            result.pem.clear();
            return result;
        }
        if (got == 0)
            return result;
        result.pem.append(buffer, static_cast<std::size_t>(got));
        if (result.pem.size() > maxBytes) {
            result.problem = "it is larger than " + megabytes(maxBytes);
            result.pem.clear();
            return result;
        }
    }
}

std::shared_ptr<const ExtraAuthorities> extraAuthorities(const std::string& file)
{
    static std::mutex mutex;
    static std::map<std::string, std::shared_ptr<const ExtraAuthorities>> read;
    const std::lock_guard lock(mutex);
    auto& entry = read[file];
    if (!entry)
        entry = std::make_shared<const ExtraAuthorities>(readExtraAuthorities(file));
    return entry;
}

} // namespace media
