// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/resources/camera_icon.h"

// Resources compiled into a static library are only registered when asked for.
static void initVeskatResources()
{
    Q_INIT_RESOURCE(veskat_resources);
}

namespace resources {

QIcon cameraIcon()
{
    static const bool registered = (initVeskatResources(), true);
    (void)registered;
    return QIcon(QStringLiteral(":/veskat/camera.svg"));
}

} // namespace resources
