// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// veskat-reg's view of the registry: keys opened by path, their values and
// subkeys listed in a fixed order, a whole tree read into .reg sections, and
// sections applied. Every function returns a Windows error code.
// Single-threaded tool code.
#include "tools/reg/reg_file.h"

#include "core/registry/registry_api.h"

#include <memory>
#include <string>
#include <vector>

namespace regtool {

struct KeyCloser {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using KeyHandle = std::unique_ptr<HKEY__, KeyCloser>;

HKEY rootHandle(regfile::RootKey root);

LONG openKey(const regfile::KeyPath& path, REGSAM access, KeyHandle& key);
LONG createKey(const regfile::KeyPath& path, KeyHandle& key);

// ERROR_FILE_NOT_FOUND when the value does not exist.
LONG readValue(HKEY key, const std::string& name, regfile::ValueData& data);
LONG writeValue(HKEY key, const std::string& name, const regfile::ValueData& data);

// Subkey names sorted case-insensitively; values with (Default) first, then by name.
LONG listSubkeys(HKEY key, std::vector<std::string>& names);
LONG listValues(HKEY key, std::vector<regfile::ValueEntry>& values);

// The path with each name spelt as stored (the command line may spell it in
// another case). ERROR_FILE_NOT_FOUND when a key on the path is missing.
LONG storedSpelling(const regfile::KeyPath& path, regfile::KeyPath& stored);

// The key and everything below it, as regedit exports them: a key, its
// values, then its subkeys, depth first.
LONG readTree(const regfile::KeyPath& path, std::vector<regfile::KeySection>& sections);

// Applies one section of a .reg file; deleting what does not exist is no error.
LONG applySection(const regfile::KeySection& section, int& failedLine);

// A sentence for an error code, for "ERROR: ..." lines.
std::string errorText(LONG code);

} // namespace regtool
