// SPDX-License-Identifier: GPL-2.0-or-later
#include "media/mjpeg/stream_endpoint.h"

#include "media/mjpeg/curl_handles.h"

#include <cstdlib>

namespace media {

namespace {

std::optional<std::string> urlPart(CURLU* url, CURLUPart part, unsigned flags)
{
    char* text = nullptr;
    if (curl_url_get(url, part, &text, flags) != CURLUE_OK || !text)
        return std::nullopt;
    const CurlString owned(text);
    return std::string(owned.get());
}

} // namespace

std::optional<StreamEndpoint> streamEndpoint(const std::string& url)
{
    CurlUrl handle(curl_url());
    if (!handle || curl_url_set(handle.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK)
        return std::nullopt;
    StreamEndpoint endpoint;
    endpoint.url = url;
    const auto user = urlPart(handle.get(), CURLUPART_USER, CURLU_URLDECODE);
    const auto password = urlPart(handle.get(), CURLUPART_PASSWORD, CURLU_URLDECODE);
    if (user || password) {
        endpoint.user = user.value_or("");
        endpoint.password = password.value_or("");
        const auto bare = curl_url_set(handle.get(), CURLUPART_USER, nullptr, 0) == CURLUE_OK
                && curl_url_set(handle.get(), CURLUPART_PASSWORD, nullptr, 0) == CURLUE_OK
            ? urlPart(handle.get(), CURLUPART_URL, 0)
            : std::nullopt;
        if (!bare)
            return std::nullopt;
        endpoint.url = *bare;
    }
    const auto host = urlPart(handle.get(), CURLUPART_HOST, 0);
    const auto port = urlPart(handle.get(), CURLUPART_PORT, CURLU_DEFAULT_PORT);
    if (!host || !port)
        return std::nullopt;
    endpoint.host = *host;
    endpoint.port = std::strtol(port->c_str(), nullptr, 10);
    return endpoint;
}

} // namespace media
