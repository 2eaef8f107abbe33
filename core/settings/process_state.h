// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Process-wide values set by start-up and read by the windows.
// Thread: UI thread only.
#include "core/settings/camera_schema.h"

#include <cstdint>

namespace Module1 {
inline std::int16_t MaxCameraIndex = Veskat::kMaxCameraIndex;
inline std::int16_t CameraSize = 0; // twips, from "CameraSize0to1500"
} // namespace Module1
