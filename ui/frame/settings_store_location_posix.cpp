// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/registry/registry_store.h"
#include "ui/frame/settings_store_location.h"

QString settingsStoreLocation()
{
    return QString::fromStdString(registry_store::storePath().string());
}
