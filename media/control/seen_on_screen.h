// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Whether a person can see any pixel of a widget: it is shown, its window is
// neither minimised nor unexposed (another desktop, unmapped), and it is not
// wholly covered by the widgets stacked above it or above its ancestors, nor
// clipped away by its ancestors. Every sibling above counts as opaque.
//
// Thread: UI thread only. Cheap: a walk up the parents and their children.
class QWidget;

namespace media {

bool isSeenOnScreen(const QWidget& widget);

} // namespace media
