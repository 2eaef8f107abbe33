// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The media control's contract, free of Qt: values passed by dispatch
// identifier, the identifiers the camera window uses, and the status codes
// read from property 15. The monitor restarts a stream on 1025 and on any code
// above 1027, so every failed state is one of those.
#include <cstdint>
#include <string>
#include <variant>

namespace media {

using DispValue = std::variant<std::monostate, bool, std::int32_t, std::string>;

namespace DispId {
constexpr int Url = 1;
constexpr int UserName = 6;
constexpr int Password = 7;
constexpr int NetworkTimeout = 8; // milliseconds
constexpr int MediaType = 9; // "mjpeg"
constexpr int Status = 15; // read only
constexpr int Flag16 = 16;
constexpr int Flag18 = 18; // set for monitoring level 2 and more
constexpr int Flag113 = 113;
constexpr int Flag117 = 117;
constexpr int Flag143 = 143;
constexpr int Start = 101; // method
constexpr int Stop = 102; // method
} // namespace DispId

namespace Status {
constexpr std::int32_t Stopped = 0;
constexpr std::int32_t Connecting = 1;
constexpr std::int32_t Playing = 2;
constexpr std::int32_t ConnectionFailed = 1025; // retried by the control every 2 s at most
constexpr std::int32_t WaitingForPicture = 1026;
constexpr std::int32_t Stalled = 1027; // no picture for more than 5 s
constexpr std::int32_t Unauthorized = 1028; // HTTP 401/403
constexpr std::int32_t HttpError = 1029;
constexpr std::int32_t NotMjpeg = 1030;
constexpr std::int32_t InvalidUrl = 1031;

// A failed state that only a restart clears; the control itself retries 1025.
constexpr bool waitsForRestart(std::int32_t status)
{
    return status > Stalled;
}
// The camera window's monitor restarts the stream on 1025 from one read of
// the status and on anything above 1027 from the next.
constexpr bool needsRestart(std::int32_t read4, std::int32_t read5)
{
    return read4 == ConnectionFailed || waitsForRestart(read5);
}
// Failing, as the status bar, the tooltips and the picture area say it: a
// state the monitor restarts (the same code read twice).
constexpr bool isFailing(std::int32_t status)
{
    return needsRestart(status, status);
}
} // namespace Status

// The meaning of a status code in words, for the picture area and veskat-probe.
const char* statusMeaning(std::int32_t status);
// The same at more length, as the table of codes has it, for a tooltip.
const char* statusExplanation(std::int32_t status);

// Converts a value to a 32-bit integer the way a late-bound caller does:
// Boolean true is -1, text is parsed as a decimal number (0 when it is none).
std::int32_t toInt32(const DispValue& value);

} // namespace media
