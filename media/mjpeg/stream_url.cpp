// SPDX-License-Identifier: GPL-2.0-or-later
#include "media/mjpeg/stream_url.h"

#include "core/util/ascii_text.h"
#include "media/mjpeg/curl_handles.h"

#include <algorithm>
#include <optional>

namespace media {

namespace {

// Where the authority ("user:password@host:port") ends: at the path, query
// or fragment, or at the end of the text.
std::size_t authorityEnd(const std::string& url, std::size_t authorityBegin)
{
    return std::min(url.find_first_of("/?#", authorityBegin), url.size());
}

constexpr bool isAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The length of a leading "scheme://" (RFC 3986 scheme characters), else 0:
// "user:pass@host" has no scheme, its user name is no scheme either.
std::size_t schemeLength(const std::string& url)
{
    const std::size_t colon = url.find("://");
    if (colon == std::string::npos || colon == 0 || !isAsciiLetter(url[0]))
        return 0;
    for (std::size_t i = 1; i < colon; ++i) {
        const char c = url[i];
        if (!isAsciiLetter(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.')
            return 0;
    }
    return colon + 3;
}

// The host libcurl makes of the URL; nullopt when it cannot parse it.
std::optional<std::string> curlHost(const std::string& url)
{
    CurlUrl handle(curl_url());
    if (!handle || curl_url_set(handle.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK)
        return std::nullopt;
    char* host = nullptr;
    if (curl_url_get(handle.get(), CURLUPART_HOST, &host, 0) != CURLUE_OK)
        return std::nullopt;
    const CurlString hostText(host);
    if (!hostText)
        return std::nullopt;
    return std::string(hostText.get());
}

} // namespace

std::string urlForDisplay(const std::string& url)
{
    // Where the credentials end is not known from the text alone: a password
    // may hold '/', '?' or '#', and the address need not parse at all. So
    // everything between the scheme and the last '@' anywhere stays hidden.
    const std::size_t at = url.rfind('@');
    if (at == std::string::npos)
        return url;
    // No '@' is a scheme character, so the last one follows the scheme.
    return url.substr(0, schemeLength(url)) + url.substr(at + 1);
}

bool displayHidesHost(const std::string& url)
{
    const std::size_t at = url.rfind('@');
    return at != std::string::npos && at >= authorityEnd(url, schemeLength(url));
}

bool isValidStreamUrl(const std::string& url)
{
    const auto schemeEnd = url.find("://");
    if (schemeEnd == std::string::npos)
        return false;
    const std::string_view scheme = std::string_view(url).substr(0, schemeEnd);
    if (!util::equalsAsciiLower(scheme, "http") && !util::equalsAsciiLower(scheme, "https"))
        return false;
    // libcurl forgives "http:///host/path" by skipping the extra slash; a
    // camera address must be between the "//" and the path, so look first.
    const std::size_t authorityBegin = schemeEnd + 3;
    std::string authority = url.substr(authorityBegin, authorityEnd(url, authorityBegin) - authorityBegin);
    if (const auto at = authority.rfind('@'); at != std::string::npos)
        authority.erase(0, at + 1);
    if (authority.empty() || authority[0] == ':')
        return false;
    if (std::any_of(authority.begin(), authority.end(), [](unsigned char c) {
            return util::isAsciiSpace(static_cast<char>(c)) || c < 0x20 || c == 0x7f;
        }))
        return false;

    const std::optional<std::string> host = curlHost(url);
    return host && !host->empty();
}

bool hasAnyAddressHost(const std::string& url)
{
    // libcurl writes every numeric spelling ("0", "0x0", "[0::0]") the same way.
    const std::optional<std::string> host = curlHost(url);
    return host && (*host == "0.0.0.0" || *host == "[::]");
}

std::string streamUrlForAddress(const std::string& address)
{
    if (util::startsWithAsciiLower(address, "http://") || util::startsWithAsciiLower(address, "https://")
        || util::startsWithAsciiLower(address, "rtsp://") || util::startsWithAsciiLower(address, "rtsps://"))
        return address;
    return "http://" + address + "/axis-cgi/mjpg/video.cgi";
}

} // namespace media
