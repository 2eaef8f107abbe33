// SPDX-License-Identifier: GPL-2.0-or-later
// veskat-reg add and delete.
#include "tools/reg/command_support.h"
#include "tools/reg/commands.h"
#include "tools/reg/registry_tree.h"
#include "tools/reg/value_text.h"

#include "core/registry/registry_store.h"
#include "core/registry/store_health.h"

#include <functional>

namespace regtool {
namespace {

bool hasLineBreak(std::string_view text)
{
    return text.find_first_of("\r\n") != std::string_view::npos;
}

std::string quotedName(const std::string& name)
{
    return name.empty() ? std::string("(Default)") : "\"" + name + "\"";
}

// Runs `change` in one store transaction, so that a failure leaves nothing half
// done, and reports how it went.
int applyChange(Console& console, const std::function<LONG()>& change)
{
    LONG status = ERROR_SUCCESS;
    const bool committed = registry_store::runInTransaction([&] {
        status = change();
        return status == ERROR_SUCCESS;
    });
    if (status != ERROR_SUCCESS)
        return fail(console, errorText(status));
    if (!committed) {
        // Why, when the store says: another user's store, a read-only one, a broken one.
        const std::string reason = registry_store::checkStore().reason;
        return fail(console,
            "The change could not be saved in the registry store " + registry_store::storePath().string()
                + (reason.empty() ? "" : ": " + reason) + ". Nothing was changed.");
    }
    return succeed(console);
}

} // namespace

int runAdd(const Command& command, Console& console)
{
    // Everything about the data is checked before the store is touched.
    if (hasLineBreak(command.key.subKey))
        return fail(
            console, "A key name cannot contain a line break (it could not be exported to a .reg file)");
    if (!command.valueName && (command.typeText || command.data || command.separator))
        return fail(console, "The switches /t, /d and /s need a value: give /v NAME or /ve");
    std::uint32_t valueType = regfile::type::Sz;
    if (command.typeText) {
        const auto parsed = parseTypeName(*command.typeText);
        if (!parsed)
            return fail(console,
                "\"" + *command.typeText
                    + "\" is not a type veskat-reg can add; use REG_SZ, REG_EXPAND_SZ,"
                      " REG_MULTI_SZ, REG_DWORD, REG_QWORD, REG_BINARY or REG_NONE");
        valueType = *parsed;
    }
    regfile::ValueData value { valueType, {} };
    if (command.valueName) {
        if (hasLineBreak(*command.valueName))
            return fail(console,
                "A value name cannot contain a line break (it could not be exported to a .reg file)");
        auto data = dataFromText(valueType, command.data, command.separator);
        if (const auto* error = std::get_if<DataError>(&data))
            return fail(console, error->message);
        value.bytes = std::move(std::get<regfile::Bytes>(data));
    }

    if (command.valueName) {
        KeyHandle existing;
        regfile::ValueData old;
        if (openKey(command.key, KEY_READ, existing) == ERROR_SUCCESS
            && readValue(existing.get(), *command.valueName, old) == ERROR_SUCCESS) {
            const auto consent = askConsent(console, command.force,
                "Value " + displayName(*command.valueName) + " exists, overwrite(Yes/No)? ");
            if (consent != Consent::Given)
                return consentNotGiven(console, consent,
                    "The value " + quotedName(*command.valueName) + " already exists in "
                        + command.key.fullName() + ".",
                    "overwrite it", "/f");
        }
    }

    // Key and value in one transaction: a failed write leaves no new empty key behind.
    return applyChange(console, [&] {
        KeyHandle key;
        LONG status = createKey(command.key, key);
        if (status == ERROR_SUCCESS && command.valueName)
            status = writeValue(key.get(), *command.valueName, value);
        return status;
    });
}

int runDelete(const Command& command, Console& console)
{
    if (!command.valueName && !command.allValues && command.key.isRoot())
        return fail(console, "veskat-reg does not delete a root key (" + command.key.fullName() + ").");
    KeyHandle key;
    if (const LONG status = openKey(command.key, KEY_ALL_ACCESS, key); status != ERROR_SUCCESS)
        return fail(console, errorText(status));

    std::string question;
    std::string what;
    if (command.valueName) {
        regfile::ValueData old;
        if (const LONG status = readValue(key.get(), *command.valueName, old); status != ERROR_SUCCESS)
            return fail(console, errorText(status));
        question = "Delete the registry value " + displayName(*command.valueName) + " (Yes/No)? ";
        what = "delete the value " + quotedName(*command.valueName) + " of " + command.key.fullName();
    } else if (command.allValues) {
        question = "Delete all values under the registry key " + command.key.fullName() + " (Yes/No)? ";
        what = "delete all values of " + command.key.fullName();
    } else {
        question = "Permanently delete the registry key " + command.key.fullName() + " (Yes/No)? ";
        what = "delete the key " + command.key.fullName() + " and everything below it";
    }
    if (const auto consent = askConsent(console, command.force, question); consent != Consent::Given)
        return consentNotGiven(console, consent, "", what, "/f");

    return applyChange(console, [&] {
        LONG status = ERROR_SUCCESS;
        if (command.valueName) {
            status = RegDeleteValueA(key.get(), command.valueName->c_str());
        } else if (command.allValues) {
            std::vector<regfile::ValueEntry> values;
            status = listValues(key.get(), values);
            for (const auto& value : values) {
                if (status == ERROR_SUCCESS)
                    status = RegDeleteValueA(key.get(), value.name.c_str());
            }
        } else {
            key.reset(); // the key goes; no handle should outlive it
            status = RegDeleteTreeA(rootHandle(command.key.root), command.key.subKey.c_str());
        }
        return status;
    });
}

} // namespace regtool
