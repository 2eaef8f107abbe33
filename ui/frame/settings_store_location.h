// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Where the settings live, as the About window names it: the registry key on
// Windows, the stand-in's store file elsewhere (one source file per system,
// chosen by the build).
//
// Thread: any.
#include <QString>

QString settingsStoreLocation();
