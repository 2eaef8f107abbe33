// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// One camera's Digest memory: once the camera asked for Digest, it never gets
// the password in Basic (in clear) again while its address and credentials
// stay the same, so an impostor asking for Basic gets nothing. The control
// owns it for the camera's whole life, across restarts, and hands it to the
// source with each start.
//
// Thread: any (the source's thread in practice).
#include <mutex>
#include <optional>
#include <string>

namespace media {

class DigestMemory {
public:
    // Whether the camera at `url` asked for Digest with these credentials.
    bool required(const std::string& url, const std::string& user, const std::string& password) const;
    // The camera at `url` asked for Digest.
    void note(const std::string& url, const std::string& user, const std::string& password);

private:
    struct Camera {
        std::string url;
        std::string user;
        std::string password;
    };
    mutable std::mutex m_mutex;
    std::optional<Camera> m_camera; // guarded by m_mutex
};

} // namespace media
