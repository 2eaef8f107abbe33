// SPDX-License-Identifier: GPL-2.0-or-later
#include "media/stream/digest_memory.h"

namespace media {

bool DigestMemory::required(
    const std::string& url, const std::string& user, const std::string& password) const
{
    std::lock_guard lock(m_mutex);
    return m_camera && m_camera->url == url && m_camera->user == user && m_camera->password == password;
}

void DigestMemory::note(const std::string& url, const std::string& user, const std::string& password)
{
    std::lock_guard lock(m_mutex);
    m_camera = Camera { url, user, password };
}

} // namespace media
