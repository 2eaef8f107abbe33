// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/twips/screen_dpi.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace platform {

ScreenDpi screenDpi(const QWidget* widget)
{
    const QScreen* screen = widget ? widget->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    ScreenDpi dpi;
    if (screen) {
        if (screen->logicalDotsPerInchX() > 0)
            dpi.x = screen->logicalDotsPerInchX();
        if (screen->logicalDotsPerInchY() > 0)
            dpi.y = screen->logicalDotsPerInchY();
    }
    return dpi;
}

} // namespace platform
