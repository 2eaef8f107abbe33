// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The per-camera debug log: "c:\camera_debug" + index + ".txt" on drive C:,
// one line per entry ended by CR LF, opened for appending and closed again
// for every line, never truncated.
//
// Thread: UI thread (the camera window's monitor); the file functions are
// safe on any thread.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace camera {

// "c:\camera_debug" + decimal index + ".txt", as the program names it.
std::string debugLogName(int cameraIndex);

// Appends text and CR LF to the file, creating it when missing. On failure
// returns false and says why in `error`; the file is closed either way.
bool appendLineCrLf(const std::filesystem::path& file, std::string_view text, std::string& error);

// One window's debug log. A log that cannot be written never stops the
// monitor: the first failure is reported on standard error, once for the
// life of the window; later failed lines are dropped quietly.
class DebugLog {
public:
    explicit DebugLog(int cameraIndex = 0)
        : m_cameraIndex(cameraIndex)
    {
    }

    void setCameraIndex(int cameraIndex) { m_cameraIndex = cameraIndex; }
    // Returns whether the line reached the file.
    bool append(std::string_view text);

private:
    int m_cameraIndex;
    bool m_failureReported = false;
};

} // namespace camera
