#pragma once
// The media control as the camera window sees it: a widget that takes its
// settings and commands by dispatch identifier (see dispatch.h). The picture
// area's size is the widget's own size, set by the window.
//
// Thread: every member is called on the UI thread only.
#include "platform/media/contract/dispatch.h"

#include <QWidget>

namespace media {

class MediaControl : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    ~MediaControl() override = default;

    virtual void putProperty(int dispId, const DispValue& value) = 0;
    virtual DispValue getProperty(int dispId) const = 0;
    virtual void invoke(int dispId) = 0;
};

// The media control the camera window places on itself, owned by `parent`;
// null when it cannot be created (the media threads could not start).
MediaControl* createMediaControl(QWidget* parent);

} // namespace media
