// SPDX-License-Identifier: GPL-2.0-or-later
// veskat-cameras: start-up seeding of the settings, then the frame window, and
// a warning when the settings store cannot be used.
// The process runs until its last top-level window (the frame, or the
// configuration window when that stays open longer) has closed.
#include "app/viewer_options.h"
#include "core/seeding/module1.h"
#include "media/control/media_engine.h"
#include "ui/frame/mdi_camera_main.h"

#include "veskat_version.h"

#include <QApplication>
#include <QMessageBox>

#include <iostream>

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
    // The decode threads draw with Qt: they stop before the application goes.
    media::MediaEngineShutdown engineShutdown;
    QApplication::setApplicationVersion(QString::fromLatin1(buildinfo::kVersion));
    // Lets a Wayland desktop match the windows to the installed desktop entry and icon.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(buildinfo::kAppId));
    const auto warning = Module1::StoreWarning(Module1::SeedSettings());
    if (warning)
        std::cerr << "veskat-cameras: " << *warning << std::endl;

    // Closing the frame destroys it and the camera windows with it.
    auto* frame = new MDICameraMain;
    frame->setAttribute(Qt::WA_DeleteOnClose);
    frame->show();
    // Over the frame, which then runs on: the operator sees the cameras and
    // what is wrong with their settings together.
    if (warning) {
        // The warning names the store's file, which may be any text: shown plain.
        QMessageBox box(QMessageBox::Warning, frame->windowTitle(), QString::fromStdString(*warning),
            QMessageBox::Ok, frame);
        box.setTextFormat(Qt::PlainText);
        box.exec();
    }
    return app.exec();
}
