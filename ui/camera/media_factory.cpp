// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/camera/media_factory.h"

#include "media/control/media_control.h"

#include <exception>

namespace camera {
namespace {

MediaControlFactory& installedFactory()
{
    static MediaControlFactory factory;
    return factory;
}

media::MediaControl* createRealControl(QWidget* parent)
{
    return media::createMediaControl(parent);
}

} // namespace

void setMediaControlFactory(MediaControlFactory factory)
{
    installedFactory() = std::move(factory);
}

media::MediaControl* createMediaControl(QWidget* parent)
{
    try {
        const MediaControlFactory& factory = installedFactory();
        return factory ? factory(parent) : createRealControl(parent);
    } catch (const std::exception&) {
        // A control that cannot be made leaves the window without a picture, not the program down.
        return nullptr;
    }
}

} // namespace camera
