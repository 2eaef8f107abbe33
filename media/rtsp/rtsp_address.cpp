// SPDX-License-Identifier: GPL-2.0-or-later
#include "media/rtsp/rtsp_address.h"

#include "core/util/ascii_text.h"

#include <algorithm>

namespace media {

namespace {

constexpr std::string_view kScheme = "rtsp://";

std::string_view authorityOf(const std::string& url)
{
    const std::size_t begin = kScheme.size();
    const std::size_t end = std::min(url.find_first_of("/?#", begin), url.size());
    return std::string_view(url).substr(begin, end - begin);
}

// Unreserved characters stay, everything else is %XX: a password may hold
// '@', ':' or '/', which would otherwise end the user information early.
std::string percentEncoded(const std::string& text)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || c == '-' || c == '.'
            || c == '_' || c == '~') {
            out += c;
        } else {
            out += '%';
            out += kHex[u >> 4];
            out += kHex[u & 0xf];
        }
    }
    return out;
}

} // namespace

bool isRtspUrl(const std::string& url)
{
    return util::startsWithAsciiLower(url, "rtsp://");
}

bool isRtspsUrl(const std::string& url)
{
    return util::startsWithAsciiLower(url, "rtsps://");
}

bool isValidRtspUrl(const std::string& url)
{
    if (!isRtspUrl(url))
        return false;
    if (std::any_of(url.begin(), url.end(), [](char c) {
            const auto u = static_cast<unsigned char>(c);
            return u <= 0x20 || u == 0x7f;
        }))
        return false;
    std::string_view host = authorityOf(url);
    if (const auto at = host.rfind('@'); at != std::string_view::npos)
        host.remove_prefix(at + 1);
    if (!host.empty() && host.front() == '[') {
        const auto close = host.find(']');
        return close != std::string_view::npos && close > 1
            && (close + 1 == host.size() || host[close + 1] == ':');
    }
    return !host.empty() && host.front() != ':';
}

std::string rtspUrlWithCredentials(
    const std::string& url, const std::string& user, const std::string& password)
{
    if (user.empty() || !isRtspUrl(url) || authorityOf(url).find('@') != std::string_view::npos)
        return url;
    return url.substr(0, kScheme.size()) + percentEncoded(user) + ':' + percentEncoded(password) + '@'
        + url.substr(kScheme.size());
}

} // namespace media
