// SPDX-License-Identifier: GPL-2.0-or-later
// veskat-reg query: shows values and subkeys as Windows' reg query does.
#include "tools/reg/command_support.h"
#include "tools/reg/commands.h"
#include "tools/reg/registry_tree.h"
#include "tools/reg/value_text.h"

namespace regtool {
namespace {

using regfile::KeyPath;

void printValue(Console& console, const std::string& name, const regfile::ValueData& data)
{
    console.out() << "    " << displayName(name) << "    " << typeName(data.type) << "    "
                  << displayData(data) << '\n';
}

// KEY, its values and a blank line; then (without /s) the subkeys' full names.
LONG showKey(Console& console, const KeyPath& path, bool listSubkeys)
{
    KeyHandle key;
    if (const LONG status = openKey(path, KEY_READ, key); status != ERROR_SUCCESS)
        return status;
    std::vector<regfile::ValueEntry> values;
    if (const LONG status = regtool::listValues(key.get(), values); status != ERROR_SUCCESS)
        return status;
    std::vector<std::string> children;
    if (const LONG status = regtool::listSubkeys(key.get(), children); status != ERROR_SUCCESS)
        return status;

    console.out() << path.fullName() << '\n';
    for (const auto& value : values)
        printValue(console, value.name, *value.data);
    if (!values.empty())
        console.out() << '\n';
    if (listSubkeys) {
        for (const auto& child : children)
            console.out() << path.child(child).fullName() << '\n';
        return ERROR_SUCCESS;
    }
    for (const auto& child : children) {
        const LONG status = showKey(console, path.child(child), false);
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
            return status;
    }
    return ERROR_SUCCESS;
}

// Shows the value `name` of `path` and of all its subkeys; counts the finds.
LONG showValue(Console& console, const KeyPath& path, const std::string& name, int& found)
{
    KeyHandle key;
    if (const LONG status = openKey(path, KEY_READ, key); status != ERROR_SUCCESS)
        return status;
    regfile::ValueData data;
    const LONG status = readValue(key.get(), name, data);
    if (status == ERROR_SUCCESS) {
        console.out() << path.fullName() << '\n';
        printValue(console, name, data);
        console.out() << '\n';
        ++found;
    } else if (status != ERROR_FILE_NOT_FOUND) {
        return status;
    }
    std::vector<std::string> children;
    if (const LONG listed = listSubkeys(key.get(), children); listed != ERROR_SUCCESS)
        return listed;
    for (const auto& child : children) {
        const LONG childStatus = showValue(console, path.child(child), name, found);
        if (childStatus != ERROR_SUCCESS && childStatus != ERROR_FILE_NOT_FOUND)
            return childStatus;
    }
    return ERROR_SUCCESS;
}

} // namespace

int runQuery(const Command& command, Console& console)
{
    // Check the key first, so that a missing key prints nothing but the error.
    KeyHandle key;
    if (const LONG status = openKey(command.key, KEY_READ, key); status != ERROR_SUCCESS)
        return fail(console, errorText(status));

    if (!command.valueName) {
        console.out() << '\n';
        const LONG status = showKey(console, command.key, !command.recursive);
        return status == ERROR_SUCCESS ? kExitSuccess : fail(console, errorText(status));
    }

    const std::string& name = *command.valueName;
    if (!command.recursive) {
        regfile::ValueData data;
        const LONG status = readValue(key.get(), name, data);
        if (status == ERROR_FILE_NOT_FOUND
            && name.empty()) { // reg shows an unset default rather than failing
            console.out() << '\n'
                          << command.key.fullName() << "\n    (Default)    REG_SZ    (value not set)\n\n";
            return kExitSuccess;
        }
        if (status != ERROR_SUCCESS)
            return fail(console, errorText(status));
        console.out() << '\n' << command.key.fullName() << '\n';
        printValue(console, name, data);
        console.out() << '\n';
        return kExitSuccess;
    }

    console.out() << '\n';
    int found = 0;
    if (const LONG status = showValue(console, command.key, name, found); status != ERROR_SUCCESS)
        return fail(console, errorText(status));
    console.out() << "End of search: " << found << " match(es) found.\n";
    return found > 0 ? kExitSuccess : fail(console, errorText(ERROR_FILE_NOT_FOUND));
}

} // namespace regtool
