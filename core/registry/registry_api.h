// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The registry entry points the settings layer is written against. On Windows
// they are advapi32's own; elsewhere registry_sqlite.cpp provides the same
// functions, with Windows' behaviour, over an SQLite file (see registry_store.h).
#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <cstdint>

using LONG = std::int32_t;
using DWORD = std::uint32_t;
using BYTE = std::uint8_t;
using BOOL = int;
using REGSAM = DWORD;
using LPCSTR = const char*;
using LPSTR = char*;
using LPBYTE = BYTE*;
using LPDWORD = DWORD*;
struct HKEY__;
using HKEY = HKEY__*;
using PHKEY = HKEY*;
using LPSECURITY_ATTRIBUTES = void*;

#define VESKAT_PREDEFINED_KEY(v) (reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(v)))
#define HKEY_CLASSES_ROOT VESKAT_PREDEFINED_KEY(0x80000000u)
#define HKEY_CURRENT_USER VESKAT_PREDEFINED_KEY(0x80000001u)
#define HKEY_LOCAL_MACHINE VESKAT_PREDEFINED_KEY(0x80000002u)
#define HKEY_USERS VESKAT_PREDEFINED_KEY(0x80000003u)

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_MULTI_SZ = 7;
constexpr DWORD REG_QWORD = 11;

constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

constexpr LONG ERROR_SUCCESS = 0;
constexpr LONG ERROR_FILE_NOT_FOUND = 2;
constexpr LONG ERROR_ACCESS_DENIED = 5;
constexpr LONG ERROR_INVALID_HANDLE = 6;
constexpr LONG ERROR_INVALID_PARAMETER = 87;
constexpr LONG ERROR_BAD_NETPATH = 53;
constexpr LONG ERROR_MORE_DATA = 234;
constexpr LONG ERROR_NO_MORE_ITEMS = 259;
constexpr LONG ERROR_REGISTRY_IO_FAILED = 1016;
constexpr LONG ERROR_BAD_PATHNAME = 161;
constexpr LONG ERROR_NOACCESS = 998;
constexpr LONG ERROR_KEY_DELETED = 1018;
constexpr LONG ERROR_BUFFER_OVERFLOW = 111;

// Access rights of a key handle (winnt.h values).
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_NOTIFY = 0x0010;
constexpr REGSAM KEY_CREATE_LINK = 0x0020;
constexpr REGSAM KEY_WOW64_64KEY = 0x0100;
constexpr REGSAM KEY_WOW64_32KEY = 0x0200;
constexpr REGSAM DELETE = 0x00010000;
constexpr REGSAM KEY_READ = 0x00020019;
constexpr REGSAM KEY_WRITE = 0x00020006;
constexpr REGSAM KEY_ALL_ACCESS = 0x000F003F;
constexpr REGSAM MAXIMUM_ALLOWED = 0x02000000;
constexpr REGSAM GENERIC_READ = 0x80000000;
constexpr REGSAM GENERIC_WRITE = 0x40000000;
constexpr REGSAM GENERIC_ALL = 0x10000000;
constexpr DWORD MAX_COMPUTERNAME_LENGTH = 15;

LONG RegConnectRegistryA(LPCSTR machineName, HKEY key, PHKEY result);
LONG RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR className, DWORD options, REGSAM access,
    LPSECURITY_ATTRIBUTES security, PHKEY result, LPDWORD disposition);
LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result);
LONG RegQueryValueExA(
    HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD dataSize);
LONG RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE* data, DWORD dataSize);
LONG RegCloseKey(HKEY key);
BOOL GetComputerNameA(LPSTR buffer, LPDWORD size);

// Used by veskat-reg only (same contract as advapi32's).
LONG RegDeleteValueA(HKEY key, LPCSTR valueName);
LONG RegDeleteTreeA(HKEY key, LPCSTR subKey);
LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD reserved, LPSTR className,
    LPDWORD classSize, void* lastWriteTime);
LONG RegEnumValueA(HKEY key, DWORD index, LPSTR valueName, LPDWORD valueNameSize, LPDWORD reserved,
    LPDWORD type, LPBYTE data, LPDWORD dataSize);
#endif
