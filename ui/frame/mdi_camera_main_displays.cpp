// SPDX-License-Identifier: GPL-2.0-or-later
// Opening, reloading and storing the positions of the camera windows.
#include "core/settings/camera_schema.h"
#include "core/settings/process_state.h"
#include "ui/camera/frm_camera.h"
#include "ui/frame/mdi_camera_main.h"
#include "ui/twips/screen_dpi.h"
#include "ui/twips/twips.h"
#include "ui/window_list/open_window_list.h"

#include <QMdiArea>

#include <cmath>
#include <exception>
#include <limits>
#include <optional>

namespace {

struct TwipsPosition {
    double left = 0;
    double top = 0;
};

TwipsPosition positionOf(const QWidget* window)
{
    if (const auto* camera = qobject_cast<const frmCamera*>(window))
        return { camera->leftTwips(), camera->topTwips() };
    const platform::ScreenDpi dpi = platform::screenDpi(window);
    return { platform::pixelsToTwips(window->x(), dpi.x), platform::pixelsToTwips(window->y(), dpi.y) };
}

std::int32_t wholeTwips(double twips)
{
    const double rounded = std::round(twips);
    if (!(rounded >= std::numeric_limits<std::int32_t>::min()
            && rounded <= std::numeric_limits<std::int32_t>::max()))
        return 0;
    return static_cast<std::int32_t>(rounded);
}

} // namespace

void MDICameraMain::LoadDisplays(int /*fRefresh*/)
{
    platform::OpenWindowList& windows = platform::OpenWindowList::instance();
    for (int k = windows.count() - 1; k >= 1; --k) {
        if (!windows.caption(k).contains(QLatin1Char('*')))
            continue;
        QWidget* window = windows.at(k);
        if (window->close())
            windows.remove(window);
    }

    for (int i = 0; i <= Module1::MaxCameraIndex; ++i) {
        if (Veskat::ReadCameraValue(i, Veskat::CameraValue::ShowMe).equalsNumber(1)) {
            try {
                auto* window = new frmCamera(static_cast<std::int16_t>(i), m_mdiArea);
                connectCamera(window);
                window->setWindowTitle(QStringLiteral("*Camera #%1").arg(i + 1));
                window->show();
            } catch (const std::exception&) {
                // One camera window that cannot be made must not keep the others from opening.
            }
        }
    }
}

void MDICameraMain::SaveMachineDisplayLocations()
{
    platform::OpenWindowList& windows = platform::OpenWindowList::instance();
    for (int k = windows.count() - 1; k >= 1; --k) {
        // The configuration window and any other window without a camera index are
        // skipped, so that the camera windows are all stored while it is open.
        const std::optional<int> index = windows.cameraNumber(k);
        if (!index || *index < 0 || *index > Module1::MaxCameraIndex)
            continue;
        const TwipsPosition position = positionOf(windows.at(k));
        Veskat::WriteCameraNumber(*index, Veskat::CameraValue::Left, wholeTwips(position.left));
        Veskat::WriteCameraNumber(*index, Veskat::CameraValue::Top, wholeTwips(position.top));
    }
}

void MDICameraMain::mnuReload_Click()
{
    Module1::CameraSize = Veskat::CameraSizeFrom(Veskat::ReadRootValue(Veskat::kCameraSizeValue));
    LoadDisplays(0);
}
