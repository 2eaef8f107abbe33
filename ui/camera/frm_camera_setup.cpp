// SPDX-License-Identifier: GPL-2.0-or-later
// The camera window's set-up from the camera's settings, in the order the
// media control expects its calls.
#include "core/settings/camera_schema.h"
#include "core/settings/process_state.h"
#include "media/control/media_control.h"
#include "media/mjpeg/stream_url.h"
#include "ui/camera/frm_camera.h"
#include "ui/camera/plain_text.h"

#include <QLabel>

#include <cfloat>
#include <cmath>
#include <limits>

namespace {

// "Left"/"Top": a number of twips; text that spells none, or a number beyond
// what a window position can hold, places the window at 0.
float twipsFrom(const Veskat::SettingValue& stored)
{
    const std::optional<double> value = stored.toDouble();
    if (!value || !std::isfinite(*value) || std::fabs(*value) > FLT_MAX)
        return 0.0F;
    return static_cast<float>(*value);
}

// "Debug": out-of-range numbers are clamped rather than switched off.
std::int16_t debugLevelFrom(const Veskat::SettingValue& stored)
{
    const std::optional<std::int32_t> value = stored.toInt32();
    if (!value)
        return 0;
    return static_cast<std::int16_t>(std::clamp<std::int32_t>(
        *value, std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max()));
}

} // namespace

void frmCamera::setUp()
{
    using namespace Veskat;
    namespace Disp = media::DispId;
    const auto put = [this](int dispId, media::DispValue value) {
        if (AMC)
            AMC->putProperty(dispId, value);
    };

    const int index = m_ppCameraNum;

    applySizeOffset(Module1::CameraSize);
    LastStatus = 0;

    put(Disp::Flag113, true);
    put(Disp::Flag117, true);
    put(Disp::Flag143, true);
    put(Disp::Flag16, true);

    const float left = twipsFrom(ReadCameraValue(index, CameraValue::Left));
    const float top = twipsFrom(ReadCameraValue(index, CameraValue::Top));
    placeAt(left, top);

    lblCamera->setText(
        camera::shownTitle(QString::fromStdString(ReadCameraValue(index, CameraValue::Title).toText())));
    const std::string host = ReadCameraValue(index, CameraValue::IPAddress).toText();
    // Where to set an address says more than the connection error would.
    if (host.empty() || host == kSeededIPAddress)
        m_failureNote = tr("No camera address set: File, Configure Cameras");
    if (AMC)
        AMC->setFailureNote(m_failureNote);

    DebugLevel = debugLevelFrom(ReadCameraValue(index, CameraValue::Debug));
    if (DebugLevel > 1)
        put(Disp::Flag18, true);

    // A whole http(s) URL is taken as it is; anything else is the host of an
    // Axis-style address, inserted as stored.
    put(Disp::Url, media::streamUrlForAddress(host));
    put(Disp::UserName, ReadCameraValue(index, CameraValue::Username).toText());
    put(Disp::Password, ReadCameraValue(index, CameraValue::Password).toText());
    put(Disp::MediaType, std::string("mjpeg"));
    put(Disp::NetworkTimeout, std::int32_t { 25000 });
    if (AMC)
        AMC->invoke(Disp::Start);
}
