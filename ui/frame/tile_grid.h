// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The grid "Tile cameras" lays the camera windows out in: as many columns and
// rows as give the largest pictures, each window being its picture plus a
// fixed frame (border, title bar, label) around it.
//
// Thread: any (a pure function).
#include <QSize>

struct TileGrid {
    int columns = 0;
    int rows = 0;
};

// The grid for `count` windows in `area`, where a window is its picture of
// shape `pictureAspect` (width / height) plus `frame` pixels. Of grids with
// equally large pictures the one with fewer empty cells, then fewer rows wins.
// {0, 0} for no windows.
TileGrid chooseTileGrid(int count, QSize area, QSize frame, double pictureAspect);

// The largest picture of shape `aspect` that fits `room`, at least 1 x 1.
QSize fitPicture(QSize room, double aspect);
