// SPDX-License-Identifier: GPL-2.0-or-later
// GetComputerNameA of the stand-in: the NetBIOS-style name Windows would give
// this host, so that "\\" + this name always connects to the local store.
#include "core/registry/computer_name.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>

namespace registry_store::detail {

std::string localComputerName()
{
    char host[HOST_NAME_MAX + 1] = {};
    if (::gethostname(host, sizeof host - 1) != 0 || host[0] == '\0')
        std::strcpy(host, "LOCALHOST");
    std::string name(host);
    name = name.substr(0, name.find('.')); // the host part of a fully qualified name
    if (name.size() > MAX_COMPUTERNAME_LENGTH)
        name.resize(MAX_COMPUTERNAME_LENGTH);
    std::transform(name.begin(), name.end(), name.begin(),
        [](unsigned char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; });
    return name;
}

bool isLocalMachine(const char* machineName)
{
    if (!machineName || !*machineName)
        return true;
    std::string_view name(machineName);
    if (name.size() >= 2 && name[0] == '\\' && name[1] == '\\')
        name.remove_prefix(2);
    const std::string local = localComputerName();
    return !name.empty() && name.size() == local.size()
        && std::equal(name.begin(), name.end(), local.begin(), [](unsigned char a, unsigned char b) {
               const auto upper = [](unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c; };
               return upper(a) == upper(b);
           });
}

} // namespace registry_store::detail

BOOL GetComputerNameA(LPSTR buffer, LPDWORD size)
{
    if (!buffer || !size)
        return 0;
    const std::string name = registry_store::detail::localComputerName();
    const auto needed = static_cast<DWORD>(name.size() + 1);
    if (*size < needed) {
        *size = needed; // Windows reports the size the buffer needs, NUL included
        return 0;
    }
    std::memcpy(buffer, name.c_str(), needed);
    *size = needed - 1;
    return 1;
}
