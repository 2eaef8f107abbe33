// SPDX-License-Identifier: GPL-2.0-or-later
#include "media/rtsp/av_log_capture.h"

extern "C" {
#include <libavutil/log.h>
}

#include <cstdarg>
#include <cstdio>
#include <map>

namespace media {

namespace {

std::mutex g_capturesMutex;
std::map<const void*, AvLogCapture*> g_captures; // guarded by g_capturesMutex

void logCallback(void* context, int, const char* format, va_list args)
{
    std::lock_guard lock(g_capturesMutex);
    const auto it = g_captures.find(context);
    if (it == g_captures.end())
        return;
    char line[512];
    va_list copy;
    va_copy(copy, args);
    std::vsnprintf(line, sizeof line, format, copy);
    va_end(copy);
    if (std::optional<RtspReply> reply = parseLoggedReply(line))
        it->second->take(std::move(*reply));
}

} // namespace

AvLogCapture::AvLogCapture(const void* context)
    : m_context(context)
{
    static std::once_flag installed;
    std::call_once(installed, [] { av_log_set_callback(logCallback); });
    std::lock_guard lock(g_capturesMutex);
    g_captures[m_context] = this;
}

AvLogCapture::~AvLogCapture()
{
    std::lock_guard lock(g_capturesMutex);
    // A context freed early may have been made again at the same address.
    if (const auto it = g_captures.find(m_context); it != g_captures.end() && it->second == this)
        g_captures.erase(it);
}

std::optional<RtspReply> AvLogCapture::reply() const
{
    std::lock_guard lock(m_mutex);
    return m_reply;
}

void AvLogCapture::take(RtspReply reply)
{
    std::lock_guard lock(m_mutex);
    m_reply = std::move(reply);
}

} // namespace media
