#pragma once
// Start-up of the program: the settings are created and completed before any
// window exists.
//
// Thread: UI thread, once, before the frame is created.

namespace Module1 {

// Sets MaxCameraIndex, creates the settings keys, writes every missing or
// empty setting with its default and loads CameraSize (settings/process_state.h).
// Registry failures are silent: start-up always goes on.
void SeedSettings();

} // namespace Module1
