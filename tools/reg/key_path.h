// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Registry key names as the operator and .reg files write them:
// "HKLM\SOFTWARE\VESKAT" or "HKEY_LOCAL_MACHINE\SOFTWARE\VESKAT". Pure functions.
#include <optional>
#include <string>
#include <string_view>

namespace regfile {

enum class RootKey { LocalMachine, CurrentUser };

struct KeyPath {
    RootKey root = RootKey::LocalMachine;
    std::string subKey; // backslash separated, no leading or trailing backslash; empty = the root itself

    std::string fullName() const; // "HKEY_LOCAL_MACHINE\SOFTWARE\..."
    bool isRoot() const { return subKey.empty(); }
    KeyPath child(std::string_view name) const;
    bool operator==(const KeyPath&) const = default;
};

std::string_view rootName(RootKey root); // "HKEY_LOCAL_MACHINE"

// Parses a key name. `allowShortRoots` accepts HKLM/HKCU besides the full names
// (the command line does, .reg files need the full names as regedit writes them).
// Root names compare case-insensitively; one trailing backslash is allowed.
// On failure returns nullopt and puts the reason into `error`.
std::optional<KeyPath> parseKeyPath(std::string_view text, bool allowShortRoots, std::string& error);

// Case-insensitive comparison of registry names (ASCII letters, as the store compares).
bool namesEqual(std::string_view a, std::string_view b);
bool nameLess(std::string_view a, std::string_view b);

} // namespace regfile
