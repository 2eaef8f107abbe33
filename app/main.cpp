// veskat-cameras: start-up seeding of the settings, then the frame window.
// The process runs until its last top-level window (the frame, or the
// configuration window when that stays open longer) has closed.
#include "app/module1.h"
#include "frame/mdi_camera_main.h"
#include "platform/media/media_engine.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // The decode threads draw with Qt: they stop before the application goes.
    media::MediaEngineShutdown engineShutdown;
    Module1::SeedSettings();

    // Closing the frame destroys it and the camera windows with it.
    auto* frame = new MDICameraMain;
    frame->setAttribute(Qt::WA_DeleteOnClose);
    frame->show();
    return app.exec();
}
