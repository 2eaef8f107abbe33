// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/media_contract/dispatch.h"

#include "core/util/decimal_text.h"

#include <optional>

namespace media {

const char* statusMeaning(std::int32_t status)
{
    switch (status) {
    case Status::Stopped:
        return "Stopped";
    case Status::Connecting:
        return "Connecting\u2026";
    case Status::Playing:
        return "Playing";
    case Status::ConnectionFailed:
        return "Camera not reachable \u2014 retrying";
    case Status::WaitingForPicture:
        return "Connected \u2014 waiting for the first picture";
    case Status::Stalled:
        return "No new picture \u2014 the stream has stalled";
    case Status::Unauthorized:
        return "Wrong user name or password";
    case Status::HttpError:
        return "The camera answered with an HTTP error";
    case Status::NotMjpeg:
        return "Not a Motion-JPEG stream";
    case Status::InvalidUrl:
        return "Invalid camera address";
    default:
        return "Unknown status";
    }
}

const char* statusExplanation(std::int32_t status)
{
    switch (status) {
    case Status::Stopped:
        return "stopped, or never started";
    case Status::Connecting:
        return "connecting";
    case Status::Playing:
        return "playing: pictures arrive";
    case Status::ConnectionFailed:
        return "connection failed or lost; the stream retries by itself every 2 s at most";
    case Status::WaitingForPicture:
        return "connected, waiting for the first picture";
    case Status::Stalled:
        return "stalled: connected, but no picture for more than 5 s";
    case Status::Unauthorized:
        return "the camera refused the user name or password";
    case Status::HttpError:
        return "the camera answered with another HTTP error";
    case Status::NotMjpeg:
        return "the answer is not a Motion-JPEG stream, or its pictures cannot be decoded";
    case Status::InvalidUrl:
        return "the stream address is not valid";
    default:
        return "unknown status";
    }
}

namespace {

// Text as a late-bound caller converts it: a decimal number (a fraction
// rounds half to even), anything else, or a number out of range, is 0.
std::int32_t textToInt32(const std::string& text)
{
    const std::optional<double> number = util::parseDecimal(text);
    return number ? util::roundToInt<std::int32_t>(*number).value_or(0) : 0;
}

} // namespace

std::int32_t toInt32(const DispValue& value)
{
    if (const auto* b = std::get_if<bool>(&value))
        return *b ? -1 : 0;
    if (const auto* i = std::get_if<std::int32_t>(&value))
        return *i;
    if (const auto* s = std::get_if<std::string>(&value))
        return textToInt32(*s);
    return 0;
}

} // namespace media
