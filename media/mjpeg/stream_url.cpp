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
    const auto schemeEnd = url.find("://");
    const std::size_t authorityBegin = schemeEnd == std::string::npos ? 0 : schemeEnd + 3;
    const std::size_t end = authorityEnd(url, authorityBegin);
    const std::size_t at = url.rfind('@', end == 0 ? 0 : end - 1);
    if (at == std::string::npos || at < authorityBegin)
        return url;
    return url.substr(0, authorityBegin) + url.substr(at + 1);
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
    if (util::startsWithAsciiLower(address, "http://") || util::startsWithAsciiLower(address, "https://"))
        return address;
    return "http://" + address + "/axis-cgi/mjpg/video.cgi";
}

} // namespace media
