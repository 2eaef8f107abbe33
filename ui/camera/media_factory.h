// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Where camera windows get their media control from. The real control by
// default; tests put in a factory of their own (for example one that records
// every call, or one that fails).
//
// Thread: UI thread only.
#include <functional>

class QWidget;

namespace media {
class MediaControl;
}

namespace camera {

using MediaControlFactory = std::function<media::MediaControl*(QWidget* parent)>;

// An empty factory brings back the real media control.
void setMediaControlFactory(MediaControlFactory factory);

// A new control owned by `parent`, or null when none could be made.
media::MediaControl* createMediaControl(QWidget* parent);

} // namespace camera
