// SPDX-License-Identifier: GPL-2.0-or-later
// Development aid: opens the configuration form on the current display, waits
// until it is painted and saves a picture of it, to compare its layout by eye.
//   config_form_screenshot OUT.png
// The settings come from a scratch store seeded with the defaults, unless
// $VESKAT_REGISTRY names a store to show instead.
#include "core/seeding/module1.h"
#include "ui/config/frm_camera_config.h"

#include <QApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUT.png\n", argv[0]);
        return 2;
    }
    QTemporaryDir scratch;
    if (!std::getenv("VESKAT_REGISTRY")) {
        if (!scratch.isValid()) {
            std::fprintf(stderr, "cannot make a scratch folder\n");
            return 1;
        }
        qputenv("VESKAT_REGISTRY", scratch.filePath("registry.sqlite3").toLocal8Bit());
    }
    QApplication app(argc, argv);
    Module1::SeedSettings();

    frmCameraConfig* form = frmCameraConfig::showOrRaise();
    int status = 1;
    QTimer::singleShot(500, form, [&] {
        const QPixmap shot = form->grab();
        if (shot.save(QString::fromLocal8Bit(argv[1]))) {
            status = 0;
            std::printf("%s: %dx%d pixels at %.0f dpi, font %s\n", argv[1], shot.width(), shot.height(),
                form->screen()->logicalDotsPerInchX(),
                qPrintable(form->txtCameraTitle[0]->fontInfo().family()));
        } else {
            std::fprintf(stderr, "cannot write %s\n", argv[1]);
        }
        form->close();
    });
    app.exec();
    return status;
}
