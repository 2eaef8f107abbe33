// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// rtsp:// addresses: which addresses go to the RTSP source, whether one is
// usable, and the address libavformat is given, with the control's user name
// and password unless the address carries its own.
//
// Thread: any.
#include <string>

namespace media {

// True when the URL starts with "rtsp://" (any case).
bool isRtspUrl(const std::string& url);
// True when the URL starts with "rtsps://" (any case): not played yet.
bool isRtspsUrl(const std::string& url);
// True for an rtsp:// URL with a non-empty host and no spaces or control
// characters in it.
bool isValidRtspUrl(const std::string& url);
// `url` with "user:password@" after the scheme, percent-encoded, when `user`
// is not empty and the URL has no credentials of its own.
std::string rtspUrlWithCredentials(
    const std::string& url, const std::string& user, const std::string& password);

} // namespace media
