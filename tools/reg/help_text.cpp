// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/reg/help_text.h"

namespace regtool {
namespace {

constexpr const char* kGeneral = R"(Usage: veskat-reg query  KEY [/v NAME | /ve] [/s]
  or:  veskat-reg add    KEY [/v NAME | /ve] [/t TYPE] [/s SEPARATOR] [/d DATA] [/f]
  or:  veskat-reg delete KEY [/v NAME | /ve | /va] [/f]
  or:  veskat-reg export KEY FILE [/y]
  or:  veskat-reg import FILE
  or:  veskat-reg OPERATION /?
  or:  veskat-reg /? | -h | --help | --version
Edits the settings store of veskat-cameras, like Windows' reg command.

  KEY    HKLM\SUBKEY or HKCU\SUBKEY (also HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER).
         Quote it in the shell so that the backslashes stay: 'HKLM\SOFTWARE\VESKAT'.
  Switches are case-insensitive and may start with / or -.
  veskat-reg OPERATION /? shows the details of one operation.

Confirmation: add over an existing value, delete, and export over an existing
file ask "(Yes/No)?" when standard input is a terminal. When it is not (scripts,
CI), veskat-reg does not guess: it refuses with an error and changes nothing,
unless /f (export: /y) is given.

Store: $VESKAT_REGISTRY when set, else $XDG_CONFIG_HOME/veskat/registry.sqlite3
(~/.config/veskat/registry.sqlite3).

Exit code: 0 on success, 1 on any error (the message is on standard error),
2 for an unknown option in place of the operation (such as --verbose).

Example: make every camera window 600 twips larger:
  veskat-reg add 'HKLM\SOFTWARE\VESKAT\VESKAT_CAMERAS' /v CameraSize0to1500 /t REG_DWORD /d 600 /f
)";

constexpr const char* kQuery = R"(veskat-reg query KEY [/v NAME | /ve] [/s]

  Shows the values of KEY and lists its subkeys.
  /v NAME  shows only the value NAME.
  /ve      shows only the (Default) value.
  /s       goes through all subkeys too; with /v or /ve it shows that value
           wherever it is found and counts the matches.

  A key or value that does not exist is an error (exit code 1).
  Example: veskat-reg query 'HKLM\SOFTWARE\VESKAT\VESKAT_CAMERAS' /s
)";

constexpr const char* kAdd = R"(veskat-reg add KEY [/v NAME | /ve] [/t TYPE] [/s SEPARATOR] [/d DATA] [/f]

  Creates KEY (and the keys above it) and sets a value in it.
  /v NAME  the value to set; /ve sets the (Default) value. Without either,
           only the key is created.
  /t TYPE  REG_SZ (the default), REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD,
           REG_QWORD, REG_BINARY or REG_NONE.
  /d DATA  REG_SZ, REG_EXPAND_SZ: the text.
           REG_MULTI_SZ: the strings separated by the two characters \0
                         (or by the one character given with /s).
           REG_DWORD, REG_QWORD: a decimal number or a 0x hex number;
                         a negative number is stored as its two's complement.
           REG_BINARY, REG_NONE: hex digits, two per byte (e.g. 0a1bff).
           Without /d: empty text, 0, or no bytes.
  /f       overwrites an existing value without asking. Without /f the
           question "Value NAME exists, overwrite(Yes/No)?" is asked on a
           terminal; when standard input is not a terminal the command fails.

  Example: veskat-reg add 'HKLM\SOFTWARE\VESKAT\VESKAT_CAMERAS' /v CameraSize0to1500 /t REG_DWORD /d 0x258 /f
)";

constexpr const char* kDelete = R"(veskat-reg delete KEY [/v NAME | /ve | /va] [/f]

  Deletes KEY with all its subkeys and values, or only some values:
  /v NAME  deletes the value NAME.
  /ve      deletes the (Default) value.
  /va      deletes every value of KEY (its subkeys stay).
  /f       deletes without asking. Without /f the question is asked on a
           terminal; when standard input is not a terminal the command fails.

  A root key (HKLM, HKCU) is never deleted.
)";

constexpr const char* kExport = R"(veskat-reg export KEY FILE [/y]

  Writes KEY, its values and all its subkeys to FILE in the format of
  Windows' registry editor ("Windows Registry Editor Version 5.00",
  UTF-16LE), which regedit on Windows and veskat-reg import read.
  Values are written in alphabetical order, (Default) first; subkeys too.
  FILE holds the cameras' passwords: it is written readable by its owner
  only (mode 0600), also when it replaces an existing file.
  /y       overwrites an existing FILE without asking. Without /y the question
           is asked on a terminal; when standard input is not a terminal the
           command fails.
)";

constexpr const char* kImport = R"(veskat-reg import FILE

  Reads a .reg file and applies it: keys in [brackets] are created, values
  set, [-KEY] deletes a key and "NAME"=- a value.
  Reads what Windows' registry editor writes: "Windows Registry Editor Version
  5.00" files (UTF-16LE, or UTF-8) and "REGEDIT4" files (UTF-8).
  FILE must be a regular file of at most 16 MiB (a settings export is a few KiB).
  The whole file is checked first: a file with a fault is rejected with its
  line number and the reason, and nothing is changed. The changes are then
  made all together or not at all.
)";

} // namespace

std::string usageText(std::optional<Operation> operation)
{
    if (!operation)
        return kGeneral;
    switch (*operation) {
    case Operation::Query:
        return kQuery;
    case Operation::Add:
        return kAdd;
    case Operation::Delete:
        return kDelete;
    case Operation::Export:
        return kExport;
    case Operation::Import:
        return kImport;
    }
    return kGeneral;
}

} // namespace regtool
