// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/reg/registry_tree.h"

#include "core/registry/registry_store.h"
#include "core/registry/store_health.h"

#include <algorithm>

namespace regtool {

using regfile::KeyPath;
using regfile::ValueData;
using regfile::ValueEntry;

HKEY rootHandle(regfile::RootKey root)
{
    return root == regfile::RootKey::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

LONG openKey(const KeyPath& path, REGSAM access, KeyHandle& key)
{
    HKEY raw = nullptr;
    const LONG status = RegOpenKeyExA(rootHandle(path.root), path.subKey.c_str(), 0, access, &raw);
    key.reset(status == ERROR_SUCCESS ? raw : nullptr);
    return status;
}

LONG createKey(const KeyPath& path, KeyHandle& key)
{
    HKEY raw = nullptr;
    DWORD disposition = 0;
    const LONG status = RegCreateKeyExA(rootHandle(path.root), path.subKey.c_str(), 0, nullptr,
        REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &raw, &disposition);
    key.reset(status == ERROR_SUCCESS ? raw : nullptr);
    return status;
}

LONG readValue(HKEY key, const std::string& name, ValueData& data)
{
    // The size can change between the two calls when another process writes: ask again then.
    for (int attempt = 0; attempt < 10; ++attempt) {
        DWORD valueType = 0;
        DWORD size = 0;
        LONG status = RegQueryValueExA(key, name.c_str(), nullptr, &valueType, nullptr, &size);
        if (status != ERROR_SUCCESS)
            return status;
        data.bytes.assign(size, 0);
        status = RegQueryValueExA(key, name.c_str(), nullptr, &valueType, data.bytes.data(), &size);
        if (status == ERROR_MORE_DATA)
            continue;
        if (status != ERROR_SUCCESS)
            return status;
        data.type = valueType;
        data.bytes.resize(size);
        return ERROR_SUCCESS;
    }
    return ERROR_MORE_DATA;
}

LONG writeValue(HKEY key, const std::string& name, const ValueData& data)
{
    return RegSetValueExA(
        key, name.c_str(), 0, data.type, data.bytes.data(), static_cast<DWORD>(data.bytes.size()));
}

namespace {

enum class Listing { Subkeys, Values };

// The names of a key's sub-keys or values, sorted as regedit sorts them. A name
// longer than the buffer grows it fourfold (while under 1 MiB) and is asked for again.
LONG listNames(HKEY key, Listing what, std::vector<std::string>& names)
{
    names.clear();
    std::vector<char> buffer(256);
    for (DWORD index = 0;;) {
        DWORD size = static_cast<DWORD>(buffer.size());
        const LONG status = what == Listing::Subkeys
            ? RegEnumKeyExA(key, index, buffer.data(), &size, nullptr, nullptr, nullptr, nullptr)
            : RegEnumValueA(key, index, buffer.data(), &size, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status == ERROR_MORE_DATA && buffer.size() < (1u << 20)) {
            buffer.resize(buffer.size() * 4);
            continue;
        }
        if (status != ERROR_SUCCESS)
            return status;
        names.emplace_back(buffer.data(), size);
        ++index;
    }
    std::sort(
        names.begin(), names.end(), [](const auto& a, const auto& b) { return regfile::nameLess(a, b); });
    return ERROR_SUCCESS;
}

} // namespace

LONG listSubkeys(HKEY key, std::vector<std::string>& names)
{
    return listNames(key, Listing::Subkeys, names);
}

LONG listValues(HKEY key, std::vector<ValueEntry>& values)
{
    values.clear();
    std::vector<std::string> names;
    if (const LONG status = listNames(key, Listing::Values, names); status != ERROR_SUCCESS)
        return status;
    for (const auto& name : names) {
        ValueData data;
        const LONG status = readValue(key, name, data);
        if (status == ERROR_FILE_NOT_FOUND)
            continue; // deleted meanwhile by another process
        if (status != ERROR_SUCCESS)
            return status;
        values.push_back(ValueEntry { name, std::move(data), 0 });
    }
    return ERROR_SUCCESS;
}

LONG storedSpelling(const KeyPath& path, KeyPath& stored)
{
    stored = KeyPath { path.root, {} };
    std::string_view rest = path.subKey;
    while (!rest.empty()) {
        const auto slash = rest.find('\\');
        const auto wanted = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        KeyHandle parent;
        if (const LONG status = openKey(stored, KEY_READ, parent); status != ERROR_SUCCESS)
            return status;
        std::vector<std::string> children;
        if (const LONG status = listSubkeys(parent.get(), children); status != ERROR_SUCCESS)
            return status;
        const auto found = std::find_if(children.begin(), children.end(),
            [&](const std::string& c) { return regfile::namesEqual(c, wanted); });
        if (found == children.end())
            return ERROR_FILE_NOT_FOUND;
        stored = stored.child(*found);
    }
    return ERROR_SUCCESS;
}

LONG readTree(const KeyPath& path, std::vector<regfile::KeySection>& sections)
{
    KeyHandle key;
    if (const LONG status = openKey(path, KEY_READ, key); status != ERROR_SUCCESS)
        return status;
    regfile::KeySection section;
    section.key = path;
    if (const LONG status = listValues(key.get(), section.values); status != ERROR_SUCCESS)
        return status;
    sections.push_back(std::move(section));
    std::vector<std::string> children;
    if (const LONG status = listSubkeys(key.get(), children); status != ERROR_SUCCESS)
        return status;
    for (const auto& child : children) {
        const LONG status = readTree(path.child(child), sections);
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
            return status;
    }
    return ERROR_SUCCESS;
}

LONG applySection(const regfile::KeySection& section, int& failedLine)
{
    failedLine = section.line;
    if (section.remove) {
        const LONG status = RegDeleteTreeA(rootHandle(section.key.root), section.key.subKey.c_str());
        return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
    }
    KeyHandle key;
    if (const LONG status = createKey(section.key, key); status != ERROR_SUCCESS)
        return status;
    for (const auto& value : section.values) {
        failedLine = value.line;
        LONG status = ERROR_SUCCESS;
        if (value.data) {
            status = writeValue(key.get(), value.name, *value.data);
        } else {
            status = RegDeleteValueA(key.get(), value.name.c_str());
            if (status == ERROR_FILE_NOT_FOUND)
                status = ERROR_SUCCESS;
        }
        if (status != ERROR_SUCCESS)
            return status;
    }
    return ERROR_SUCCESS;
}

std::string errorText(LONG code)
{
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
        return "The system was unable to find the specified registry key or value.";
    case ERROR_ACCESS_DENIED: {
        const std::string reason = registry_store::checkStore().reason;
        return reason.empty() ? "Access is denied."
                              : "Access is denied to the registry store "
                + registry_store::storePath().string() + ": " + reason + ".";
    }
    case ERROR_BAD_PATHNAME:
        return "The key name is not valid.";
    case ERROR_KEY_DELETED:
        return "The key was deleted by another program while veskat-reg was using it.";
    case ERROR_REGISTRY_IO_FAILED:
        return "The registry store " + registry_store::storePath().string()
            + " cannot be read or written (it is not a registry store, or the disk failed).";
    default:
        return "The registry operation failed with error " + std::to_string(code) + ".";
    }
}

} // namespace regtool
