// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The media control as the camera window sees it: a widget that takes its
// settings and commands by dispatch identifier (see dispatch.h), and tells
// the windows what they show of it beyond that contract (status, detail,
// the kept picture). The picture area's size is the widget's own size, set
// by the window. Whatever source plays the stream, the windows see only this.
//
// Thread: every member is called on the UI thread only.
#include "core/media_contract/dispatch.h"

#include <QSize>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>

namespace media {

class MediaControl : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    ~MediaControl() override = default;

    virtual void putProperty(int dispId, const DispValue& value) = 0;
    virtual DispValue getProperty(int dispId) const = 0;
    virtual void invoke(int dispId) = 0;

    // The status code, as property 15 gives it.
    virtual std::int32_t status() const { return toInt32(getProperty(DispId::Status)); }
    // Why the stream fails, in the words shown to the operator (empty when
    // there is nothing to say).
    virtual QString shownDetail() const { return {}; }
    // A note shown with a failure, e.g. where to set a missing address.
    virtual void setFailureNote(const QString&) { }
    // The picture as the camera sent it (JPEG), for a snapshot; null before the first.
    virtual std::shared_ptr<const std::string> pictureJpeg() const { return nullptr; }
    // The camera's own picture size; empty before the first picture.
    virtual QSize pictureSize() const { return {}; }
    // Pictures drawn since the last start.
    virtual std::uint64_t drawnCount() const { return 0; }

signals:
    // The camera's picture size changed (the enlarged view places the picture anew).
    void pictureSizeChanged(QSize size);
};

// The media control the camera window places on itself, owned by `parent`;
// null when it cannot be created (the media threads could not start).
MediaControl* createMediaControl(QWidget* parent);

} // namespace media
