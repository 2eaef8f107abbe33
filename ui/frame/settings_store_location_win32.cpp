// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/settings/camera_schema.h"
#include "ui/frame/settings_store_location.h"

QString settingsStoreLocation()
{
    return QStringLiteral("HKEY_LOCAL_MACHINE\\") + QString::fromLatin1(Veskat::kSettingsRootPath);
}
