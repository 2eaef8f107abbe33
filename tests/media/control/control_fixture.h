// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Helpers for driving real media controls on the offscreen platform.
#include "core/media_contract/dispatch.h"
#include "media/control/mjpeg_control.h"

#include <QString>
#include <QTest>

#include <memory>

namespace media_test {

// Generous: the tests run on a loaded 2-core machine.
constexpr int kDeadlineMs = 20000;

inline std::unique_ptr<media::MjpegControl> makeControl()
{
    auto* control = dynamic_cast<media::MjpegControl*>(media::createMediaControl(nullptr));
    std::unique_ptr<media::MjpegControl> owned(control);
    if (owned) {
        owned->resize(254, 213);
        owned->show();
    }
    return owned;
}

inline void configure(media::MediaControl& control, const QString& url, const QString& user = {},
    const QString& password = {}, int timeoutMs = 25000)
{
    control.putProperty(media::DispId::Url, url.toStdString());
    control.putProperty(media::DispId::UserName, user.toStdString());
    control.putProperty(media::DispId::Password, password.toStdString());
    control.putProperty(media::DispId::MediaType, std::string("mjpeg"));
    control.putProperty(media::DispId::NetworkTimeout, std::int32_t { timeoutMs });
}

inline std::int32_t statusOf(const media::MediaControl& control)
{
    return media::toInt32(control.getProperty(media::DispId::Status));
}

inline bool waitForStatus(
    const media::MediaControl& control, std::int32_t status, int deadlineMs = kDeadlineMs)
{
    return QTest::qWaitFor([&] { return statusOf(control) == status; }, deadlineMs);
}

} // namespace media_test
