// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What a camera value holds in the store, type included, read and written
// straight through the registry entry points so the tests see what the form
// really stored.
#include "core/registry/registry_api.h"

#include <cstdint>
#include <optional>
#include <string>

namespace config_test {

struct RawValue {
    DWORD type = REG_NONE;
    std::string bytes;

    std::string text() const; // REG_SZ without its terminating NUL
    std::int32_t number() const; // REG_DWORD
};

std::optional<RawValue> readRaw(int cameraIndex, const char* valueName);
void writeText(int cameraIndex, const char* valueName, const std::string& text);
void writeNumber(int cameraIndex, const char* valueName, std::int32_t number);
// Writes every one of the six edited values of all 14 cameras.
void seedAllCameras();

} // namespace config_test
