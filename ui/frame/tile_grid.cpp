// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/frame/tile_grid.h"

#include <algorithm>
#include <cmath>

QSize fitPicture(QSize room, double aspect)
{
    if (!(aspect > 0) || !std::isfinite(aspect))
        aspect = 4.0 / 3.0;
    const double width = std::min<double>(room.width(), room.height() * aspect);
    const int w = std::max(1, static_cast<int>(std::floor(width)));
    const int h = std::max(1, static_cast<int>(std::floor(std::min<double>(room.height(), width / aspect))));
    return { w, h };
}

TileGrid chooseTileGrid(int count, QSize area, QSize frame, double pictureAspect)
{
    if (count <= 0)
        return {};
    TileGrid best { count, 1 };
    double bestWidth = -1;
    int bestEmpty = 0;
    for (int columns = 1; columns <= count; ++columns) {
        const int rows = (count + columns - 1) / columns;
        const QSize room(area.width() / columns - frame.width(), area.height() / rows - frame.height());
        const double width
            = room.isValid() ? std::min<double>(room.width(), room.height() * pictureAspect) : 0.0;
        const int empty = columns * rows - count;
        // Half a pixel apart is as large; then the fuller grid, then the flatter one.
        const bool larger = width > bestWidth + 0.5;
        const bool asLarge = std::abs(width - bestWidth) <= 0.5;
        if (larger || (asLarge && (empty < bestEmpty || (empty == bestEmpty && rows < best.rows)))) {
            best = { columns, rows };
            bestWidth = width;
            bestEmpty = empty;
        }
    }
    return best;
}
