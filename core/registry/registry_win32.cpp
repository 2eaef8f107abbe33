// SPDX-License-Identifier: GPL-2.0-or-later
// On Windows the registry entry points are advapi32's and kernel32's own; the
// settings layer calls them directly. This file only makes sure, at compile
// time, that they have the shapes the stand-in declares elsewhere.
#include "core/registry/registry_api.h"

#include <type_traits>

static_assert(std::is_same_v<decltype(&RegConnectRegistryA), LONG(WINAPI*)(LPCSTR, HKEY, PHKEY)>);
static_assert(std::is_same_v<decltype(&RegOpenKeyExA), LONG(WINAPI*)(HKEY, LPCSTR, DWORD, REGSAM, PHKEY)>);
static_assert(std::is_same_v<decltype(&RegCloseKey), LONG(WINAPI*)(HKEY)>);
static_assert(std::is_same_v<decltype(&GetComputerNameA), BOOL(WINAPI*)(LPSTR, LPDWORD)>);
static_assert(REG_SZ == 1 && REG_DWORD == 4 && ERROR_MORE_DATA == 234 && ERROR_BAD_NETPATH == 53);
