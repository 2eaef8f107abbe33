// veskat-cameras: start-up seeding of the settings, then the frame window.
// The process runs until its last top-level window (the frame, or the
// configuration window when that stays open longer) has closed.
#include "app/module1.h"
#include "app/viewer_options.h"
#include "frame/mdi_camera_main.h"

#include "veskat_version.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    const viewer::OptionsResult options
        = viewer::parseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (options.action != viewer::Action::Run) {
        std::fputs(options.message.c_str(), options.exitCode == 0 ? stdout : stderr);
        return options.exitCode;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationVersion(QString::fromLatin1(buildinfo::kVersion));
    // Lets a Wayland desktop match the windows to the installed desktop entry and icon.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(buildinfo::kAppId));
    Module1::SeedSettings();

    // Closing the frame destroys it and the camera windows with it.
    auto* frame = new MDICameraMain;
    frame->setAttribute(Qt::WA_DeleteOnClose);
    frame->show();
    return app.exec();
}
