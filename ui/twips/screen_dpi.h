// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The dots per inch that twips are converted with: the logical resolution of
// the screen a widget is on (the primary screen when it has none yet), as
// Windows does for its twips-per-pixel; 96 when no screen is known.
//
// Thread: UI thread only.
class QWidget;

namespace platform {

struct ScreenDpi {
    double x = 96.0;
    double y = 96.0;
};

ScreenDpi screenDpi(const QWidget* widget = nullptr);

} // namespace platform
