// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/registry/key_handles.h"

#include "core/registry/registry_store.h"

#include <cstdint>
#include <mutex>
#include <unordered_set>

struct HKEY__ {
    std::uint64_t magic;
    registry_store::detail::KeyState state;
};

namespace registry_store::detail {
namespace {

constexpr std::uint64_t kMagic = 0x564B534B48414E44ull; // "VKSKHAND"

std::mutex& handlesMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::unordered_set<HKEY>& liveHandles()
{
    static auto* handles = new std::unordered_set<HKEY>(); // never destroyed: usable during exit
    return *handles;
}

} // namespace

REGSAM grantedAccess(REGSAM requested)
{
    if (requested & (MAXIMUM_ALLOWED | GENERIC_ALL))
        return KEY_ALL_ACCESS;
    REGSAM granted = requested & KEY_ALL_ACCESS;
    if (requested & GENERIC_READ)
        granted |= KEY_READ;
    if (requested & GENERIC_WRITE)
        granted |= KEY_WRITE;
    return granted;
}

KeyId hiveOf(HKEY key)
{
    const auto value = reinterpret_cast<std::uintptr_t>(key);
    return isHiveId(static_cast<KeyId>(value)) ? static_cast<KeyId>(value) : 0;
}

HKEY openHandle(KeyState state)
{
    auto* handle = new HKEY__ { kMagic, std::move(state) };
    std::lock_guard lock(handlesMutex());
    liveHandles().insert(handle);
    return handle;
}

bool lookUpHandle(HKEY key, KeyState& state)
{
    if (const KeyId hive = hiveOf(key)) {
        state = KeyState { storePath().string(), hive, KEY_ALL_ACCESS };
        return true;
    }
    std::lock_guard lock(handlesMutex());
    if (!key || !liveHandles().count(key) || key->magic != kMagic)
        return false;
    state = key->state;
    return true;
}

bool closeHandle(HKEY key)
{
    {
        std::lock_guard lock(handlesMutex());
        if (!key || liveHandles().erase(key) == 0)
            return false;
    }
    key->magic = 0;
    delete key;
    return true;
}

} // namespace registry_store::detail
