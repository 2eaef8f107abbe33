#pragma once
// The camera index the frame hands to a camera window it is about to create:
// the frame sets it, the window takes it over as its first set-up step.
//
// Thread: UI thread only.
#include <cstdint>

namespace camera {

inline std::int16_t IndexHandOver = 0;

} // namespace camera
