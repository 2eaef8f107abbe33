// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The PEM file of further certificate authorities for https cameras
// (VESKAT_CAMERA_CA_FILE), read once per file name and kept in memory, so
// that the network thread never touches the file: a FIFO or a huge file
// there would stall every camera. Only a regular file of at most
// kMaxExtraAuthorityBytes is read, and its open never waits.
//
// Thread: any thread; the first call for a name reads the file on the calling
// thread (the UI thread when a control starts).
#include <cstddef>
#include <memory>
#include <string>

namespace media {

inline constexpr std::size_t kMaxExtraAuthorityBytes = 4 * 1024 * 1024;

struct ExtraAuthorities {
    std::string file;
    std::string pem; // the file's bytes, handed to libcurl as they are
    std::string problem; // why the file cannot be used, as a clause; empty when it can
};

// The authorities in `file`, read on the first call for that name; the same
// object on every later call.
std::shared_ptr<const ExtraAuthorities> extraAuthorities(const std::string& file);

// Reads `file` now, with no cache: the rules above.
ExtraAuthorities readExtraAuthorities(
    const std::string& file, std::size_t maxBytes = kMaxExtraAuthorityBytes);

} // namespace media
