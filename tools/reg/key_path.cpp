// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/reg/key_path.h"

#include "tools/reg/text_encoding.h"

#include <algorithm>

namespace regfile {
namespace {

char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

struct RootSpelling {
    std::string_view name;
    RootKey root;
    bool isShort;
};

constexpr RootSpelling kRoots[] = {
    { "HKEY_LOCAL_MACHINE", RootKey::LocalMachine, false },
    { "HKEY_CURRENT_USER", RootKey::CurrentUser, false },
    { "HKLM", RootKey::LocalMachine, true },
    { "HKCU", RootKey::CurrentUser, true },
};

constexpr std::string_view kOtherRoots[]
    = { "HKEY_CLASSES_ROOT", "HKEY_USERS", "HKEY_CURRENT_CONFIG", "HKCR", "HKU", "HKCC" };

bool startsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && namesEqual(text.substr(0, prefix.size()), prefix);
}

} // namespace

bool namesEqual(std::string_view a, std::string_view b)
{
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lower(x) == lower(y); });
}

bool nameLess(std::string_view a, std::string_view b)
{
    const auto cmp = [](char x, char y) {
        return static_cast<unsigned char>(lower(x)) < static_cast<unsigned char>(lower(y));
    };
    if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), cmp))
        return true;
    if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), cmp))
        return false;
    return a < b; // names that differ only in case still get one fixed order
}

std::string_view rootName(RootKey root)
{
    return root == RootKey::LocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

std::string KeyPath::fullName() const
{
    std::string name(rootName(root));
    if (!subKey.empty()) {
        name += '\\';
        name += subKey;
    }
    return name;
}

KeyPath KeyPath::child(std::string_view name) const
{
    KeyPath result = *this;
    if (!result.subKey.empty())
        result.subKey += '\\';
    result.subKey += name;
    return result;
}

std::optional<KeyPath> parseKeyPath(std::string_view text, bool allowShortRoots, std::string& error)
{
    const auto slash = text.find('\\');
    const std::string_view head = text.substr(0, slash);
    std::string_view rest = slash == std::string_view::npos ? std::string_view {} : text.substr(slash + 1);

    const RootSpelling* found = nullptr;
    for (const auto& spelling : kRoots) {
        if (namesEqual(head, spelling.name) && (allowShortRoots || !spelling.isShort))
            found = &spelling;
    }
    if (!found) {
        for (auto other : kOtherRoots) {
            if (namesEqual(head, other)) {
                error = "the root key " + std::string(head)
                    + " is not supported; only HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER are";
                return std::nullopt;
            }
        }
        std::string roots = allowShortRoots ? "HKLM, HKCU, HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER"
                                            : "HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER";
        error = "the key name " + quotedExcerpt(text) + " does not start with " + roots;
        for (const auto& spelling : kRoots) {
            if (slash == std::string_view::npos && startsWithNoCase(text, spelling.name)
                && (allowShortRoots || !spelling.isShort) && text.size() > spelling.name.size()) {
                error += " followed by a backslash (put the key name in quotes so that the shell"
                         " keeps its backslashes, e.g. 'HKLM\\SOFTWARE\\VESKAT')";
                break;
            }
        }
        return std::nullopt;
    }

    if (!rest.empty() && rest.back() == '\\')
        rest.remove_suffix(1);
    const bool badRest = !rest.empty()
        && (rest.front() == '\\' || rest.back() == '\\' || rest.find("\\\\") != std::string_view::npos);
    if (badRest || (rest.empty() && text.size() > head.size() + 1)) {
        error = "the key name " + quotedExcerpt(text) + " has an empty part between backslashes";
        return std::nullopt;
    }
    return KeyPath { found->root, std::string(rest) };
}

} // namespace regfile
