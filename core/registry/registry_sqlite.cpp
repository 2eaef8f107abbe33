// SPDX-License-Identifier: GPL-2.0-or-later
// The advapi32 registry entry points over the SQLite store, with the contracts
// (error codes, buffer sizes, dispositions) of the Windows functions.
#include "core/registry/computer_name.h"
#include "core/registry/key_handles.h"
#include "core/registry/registry_api.h"
#include "core/registry/store_database.h"

#include <cstring>
#include <string_view>
#include <vector>

using registry_store::detail::Database;
using registry_store::detail::KeyId;
using registry_store::detail::KeyState;
using registry_store::detail::Session;
using registry_store::detail::StoredValue;

namespace {

// The names of a sub-key path. Repeated and trailing backslashes are skipped
// as Windows skips them; a leading one is an error there, and here too.
bool splitPath(const char* subKey, std::vector<std::string_view>& names)
{
    names.clear();
    if (!subKey)
        return true;
    std::string_view path(subKey);
    if (!path.empty() && path.front() == '\\')
        return false;
    while (!path.empty()) {
        const auto end = path.find('\\');
        const auto name = path.substr(0, end);
        if (!name.empty())
            names.push_back(name);
        if (end == std::string_view::npos)
            break;
        path.remove_prefix(end + 1);
    }
    return true;
}

// Follows `names` from `start`. With `create`, makes every missing key and
// tells whether any was made; without it a missing key is ERROR_FILE_NOT_FOUND.
LONG walk(Database& db, KeyId start, const std::vector<std::string_view>& names, bool create, KeyId& found,
    bool* created = nullptr)
{
    if (created)
        *created = false;
    KeyId current = start;
    for (const auto name : names) {
        std::optional<KeyId> child;
        if (const LONG status = db.findChild(current, name, child); status != ERROR_SUCCESS)
            return status;
        if (!child) {
            if (!create)
                return ERROR_FILE_NOT_FOUND;
            KeyId made = 0;
            if (const LONG status = db.createChild(current, name, made); status != ERROR_SUCCESS)
                return status;
            child = made;
            if (created)
                *created = true;
        }
        current = *child;
    }
    found = current;
    return ERROR_SUCCESS;
}

// A key deleted after its handle was opened: Windows' ERROR_KEY_DELETED.
LONG checkAlive(Database& db, KeyId id)
{
    bool exists = false;
    if (const LONG status = db.keyExists(id, exists); status != ERROR_SUCCESS)
        return status;
    return exists ? ERROR_SUCCESS : ERROR_KEY_DELETED;
}

// The state behind a handle and the names of a sub-key path under it.
LONG lookUpKeyPath(HKEY key, const char* subKey, KeyState& state, std::vector<std::string_view>& names)
{
    if (!registry_store::detail::lookUpHandle(key, state))
        return ERROR_INVALID_HANDLE;
    if (!splitPath(subKey, names))
        return ERROR_BAD_PATHNAME;
    return ERROR_SUCCESS;
}

// The session's status, and once the store is open, whether the key still exists.
LONG openedAlive(Session& session, KeyId id)
{
    const LONG status = session.status();
    return status == ERROR_SUCCESS ? checkAlive(session.db(), id) : status;
}

std::string_view valueNameOf(LPCSTR name)
{
    return name ? std::string_view(name) : std::string_view(); // null names the default value ""
}

// Hands out a value's type and data with RegQueryValueEx's size contract: a
// buffer too small gets ERROR_MORE_DATA and the size it needs.
LONG copyValueOut(const StoredValue& value, LPDWORD type, LPBYTE data, LPDWORD dataSize)
{
    if (type)
        *type = value.type;
    const auto size = static_cast<DWORD>(value.data.size());
    if (data) {
        if (*dataSize < size) {
            *dataSize = size;
            return ERROR_MORE_DATA;
        }
        std::memcpy(data, value.data.data(), size);
    }
    if (dataSize)
        *dataSize = size;
    return ERROR_SUCCESS;
}

} // namespace

LONG RegConnectRegistryA(LPCSTR machineName, HKEY key, PHKEY result)
{
    if (!registry_store::detail::isLocalMachine(machineName))
        return ERROR_BAD_NETPATH;
    if (!result)
        return ERROR_INVALID_PARAMETER;
    KeyState state;
    if (!registry_store::detail::hiveOf(key) || !registry_store::detail::lookUpHandle(key, state))
        return ERROR_INVALID_HANDLE;
    *result = registry_store::detail::openHandle(std::move(state));
    return ERROR_SUCCESS;
}

LONG RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD /*reserved*/, LPSTR /*className*/, DWORD /*options*/,
    REGSAM access, LPSECURITY_ATTRIBUTES /*security*/, PHKEY result, LPDWORD disposition)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    KeyState parent;
    std::vector<std::string_view> names;
    if (const LONG status = lookUpKeyPath(key, subKey, parent, names); status != ERROR_SUCCESS)
        return status;

    // Look first without writing: opening an existing key must not touch the
    // store (nor create a missing store file).
    KeyId target = parent.id;
    LONG status = ERROR_SUCCESS;
    {
        Session session(parent.storePath, Session::Mode::Read);
        status = session.status();
        if (status == ERROR_SUCCESS) {
            status = checkAlive(session.db(), parent.id);
            if (status == ERROR_SUCCESS)
                status = walk(session.db(), parent.id, names, false, target);
        } else if (status == ERROR_FILE_NOT_FOUND && names.empty()
            && registry_store::detail::isHiveId(parent.id)) {
            status = ERROR_SUCCESS;
        }
    }
    bool created = false;
    if (status == ERROR_FILE_NOT_FOUND) {
        if (!(parent.access & KEY_CREATE_SUB_KEY))
            return ERROR_ACCESS_DENIED;
        Session session(parent.storePath, Session::Mode::Write);
        status = openedAlive(session, parent.id);
        if (status == ERROR_SUCCESS)
            status = walk(session.db(), parent.id, names, true, target, &created);
        status = session.commit(status);
    }
    if (status != ERROR_SUCCESS)
        return status;
    *result = registry_store::detail::openHandle(
        KeyState { parent.storePath, target, registry_store::detail::grantedAccess(access) });
    if (disposition)
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return ERROR_SUCCESS;
}

LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD /*options*/, REGSAM access, PHKEY result)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    KeyState parent;
    std::vector<std::string_view> names;
    if (const LONG status = lookUpKeyPath(key, subKey, parent, names); status != ERROR_SUCCESS)
        return status;
    KeyId target = parent.id;
    if (!names.empty() || !registry_store::detail::isHiveId(parent.id)) {
        Session session(parent.storePath, Session::Mode::Read);
        LONG status = openedAlive(session, parent.id);
        if (status == ERROR_SUCCESS)
            status = walk(session.db(), parent.id, names, false, target);
        if (status != ERROR_SUCCESS)
            return status;
    }
    *result = registry_store::detail::openHandle(
        KeyState { parent.storePath, target, registry_store::detail::grantedAccess(access) });
    return ERROR_SUCCESS;
}

LONG RegQueryValueExA(
    HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD dataSize)
{
    KeyState state;
    if (!registry_store::detail::lookUpHandle(key, state))
        return ERROR_INVALID_HANDLE;
    if (reserved || (data && !dataSize))
        return ERROR_INVALID_PARAMETER;
    if (!(state.access & KEY_QUERY_VALUE))
        return ERROR_ACCESS_DENIED;
    Session session(state.storePath, Session::Mode::Read);
    LONG status = openedAlive(session, state.id);
    std::optional<StoredValue> value;
    if (status == ERROR_SUCCESS)
        status = session.db().readValue(state.id, valueNameOf(valueName), value);
    if (status != ERROR_SUCCESS)
        return status;
    if (!value)
        return ERROR_FILE_NOT_FOUND;
    return copyValueOut(*value, type, data, dataSize);
}

LONG RegSetValueExA(
    HKEY key, LPCSTR valueName, DWORD /*reserved*/, DWORD type, const BYTE* data, DWORD dataSize)
{
    KeyState state;
    if (!registry_store::detail::lookUpHandle(key, state))
        return ERROR_INVALID_HANDLE;
    if (!(state.access & KEY_SET_VALUE))
        return ERROR_ACCESS_DENIED;
    if (!data && dataSize > 0)
        return ERROR_NOACCESS;
    Session session(state.storePath, Session::Mode::Write);
    LONG status = openedAlive(session, state.id);
    if (status == ERROR_SUCCESS)
        status = session.db().writeValue(state.id, valueNameOf(valueName), type,
            std::string_view(reinterpret_cast<const char*>(data), dataSize));
    return session.commit(status);
}

LONG RegCloseKey(HKEY key)
{
    if (registry_store::detail::hiveOf(key))
        return ERROR_SUCCESS;
    return registry_store::detail::closeHandle(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG RegDeleteValueA(HKEY key, LPCSTR valueName)
{
    KeyState state;
    if (!registry_store::detail::lookUpHandle(key, state))
        return ERROR_INVALID_HANDLE;
    if (!(state.access & KEY_SET_VALUE))
        return ERROR_ACCESS_DENIED;
    Session session(state.storePath, Session::Mode::WriteExisting);
    LONG status = openedAlive(session, state.id);
    bool deleted = false;
    if (status == ERROR_SUCCESS)
        status = session.db().deleteValue(state.id, valueNameOf(valueName), deleted);
    if (status == ERROR_SUCCESS && !deleted)
        status = ERROR_FILE_NOT_FOUND;
    return session.commit(status);
}

LONG RegDeleteTreeA(HKEY key, LPCSTR subKey)
{
    KeyState state;
    std::vector<std::string_view> names;
    if (const LONG status = lookUpKeyPath(key, subKey, state, names); status != ERROR_SUCCESS)
        return status;
    Session session(state.storePath, Session::Mode::WriteExisting);
    if (session.status() == ERROR_FILE_NOT_FOUND && names.empty()
        && registry_store::detail::isHiveId(state.id))
        return ERROR_SUCCESS; // an empty hive: nothing to delete
    LONG status = openedAlive(session, state.id);
    KeyId target = state.id;
    if (status == ERROR_SUCCESS)
        status = walk(session.db(), state.id, names, false, target);
    // With a sub-key the key itself goes; without, only what it holds.
    if (status == ERROR_SUCCESS)
        status = session.db().deleteTree(target, !names.empty());
    return session.commit(status);
}

LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD reserved, LPSTR className,
    LPDWORD classSize, void* lastWriteTime)
{
    KeyState state;
    if (!registry_store::detail::lookUpHandle(key, state))
        return ERROR_INVALID_HANDLE;
    if (!name || !nameSize || reserved)
        return ERROR_INVALID_PARAMETER;
    if (!(state.access & KEY_ENUMERATE_SUB_KEYS))
        return ERROR_ACCESS_DENIED;
    Session session(state.storePath, Session::Mode::Read);
    if (session.status() == ERROR_FILE_NOT_FOUND && registry_store::detail::isHiveId(state.id))
        return ERROR_NO_MORE_ITEMS;
    LONG status = openedAlive(session, state.id);
    std::optional<std::string> child;
    if (status == ERROR_SUCCESS)
        status = session.db().childAt(state.id, index, child);
    if (status != ERROR_SUCCESS)
        return status;
    if (!child)
        return ERROR_NO_MORE_ITEMS;
    if (child->size() + 1 > *nameSize)
        return ERROR_MORE_DATA;
    std::memcpy(name, child->c_str(), child->size() + 1);
    *nameSize = static_cast<DWORD>(child->size());
    if (className && classSize && *classSize > 0)
        className[0] = '\0';
    if (classSize)
        *classSize = 0;
    if (lastWriteTime)
        std::memset(lastWriteTime, 0, 8); // a FILETIME; the store keeps no times
    return ERROR_SUCCESS;
}

LONG RegEnumValueA(HKEY key, DWORD index, LPSTR valueName, LPDWORD valueNameSize, LPDWORD reserved,
    LPDWORD type, LPBYTE data, LPDWORD dataSize)
{
    KeyState state;
    if (!registry_store::detail::lookUpHandle(key, state))
        return ERROR_INVALID_HANDLE;
    if (!valueName || !valueNameSize || reserved || (data && !dataSize))
        return ERROR_INVALID_PARAMETER;
    if (!(state.access & KEY_QUERY_VALUE))
        return ERROR_ACCESS_DENIED;
    Session session(state.storePath, Session::Mode::Read);
    if (session.status() == ERROR_FILE_NOT_FOUND && registry_store::detail::isHiveId(state.id))
        return ERROR_NO_MORE_ITEMS;
    LONG status = openedAlive(session, state.id);
    std::optional<StoredValue> value;
    if (status == ERROR_SUCCESS)
        status = session.db().valueAt(state.id, index, value);
    if (status != ERROR_SUCCESS)
        return status;
    if (!value)
        return ERROR_NO_MORE_ITEMS;
    if (value->name.size() + 1 > *valueNameSize)
        return ERROR_MORE_DATA;
    std::memcpy(valueName, value->name.c_str(), value->name.size() + 1);
    *valueNameSize = static_cast<DWORD>(value->name.size());
    return copyValueOut(*value, type, data, dataSize);
}
