// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The camera icon shared by every window of the program.
//
// Thread: UI thread only.
#include <QIcon>

namespace resources {

QIcon cameraIcon();

} // namespace resources
