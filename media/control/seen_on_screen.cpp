// SPDX-License-Identifier: GPL-2.0-or-later
#include "media/control/seen_on_screen.h"

#include <QRegion>
#include <QWidget>
#include <QWindow>

namespace media {

bool isSeenOnScreen(const QWidget& widget)
{
    if (!widget.isVisible() || widget.width() <= 0 || widget.height() <= 0)
        return false;
    // Children of a minimised window keep isVisible(); only their window tells.
    const QWidget* top = widget.window();
    if (top->isMinimized())
        return false;
    if (const QWindow* handle = top->windowHandle(); !handle || !handle->isExposed())
        return false;

    // The part still uncovered, in the coordinates of the current ancestor's parent.
    QRegion uncovered(widget.rect());
    for (const QWidget* w = &widget; !w->isWindow(); w = w->parentWidget()) {
        const QWidget* parent = w->parentWidget();
        if (!parent)
            break;
        uncovered.translate(w->pos());
        uncovered &= parent->rect();
        // A parent's children are in stacking order: those after `w` lie above it.
        bool above = false;
        for (const QObject* child : parent->children()) {
            if (child == w) {
                above = true;
                continue;
            }
            if (!above || !child->isWidgetType())
                continue;
            const auto* sibling = static_cast<const QWidget*>(child);
            if (!sibling->isWindow() && sibling->isVisible())
                uncovered -= sibling->geometry();
        }
        if (uncovered.isEmpty())
            return false;
    }
    return true;
}

} // namespace media
