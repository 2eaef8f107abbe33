// Development aid: opens the configuration form on the current display, waits
// until it is painted and saves a picture of it, to compare its layout by eye.
//   config_form_screenshot OUT.png
// Uses the settings store of $VESKAT_REGISTRY (point it at a scratch file).
#include "config/frm_camera_config.h"

#include <QApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUT.png\n", argv[0]);
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    frmCameraConfig* form = frmCameraConfig::showOrRaise();
    int status = 1;
    QTimer::singleShot(500, form, [&] {
        const QPixmap shot = form->grab();
        if (shot.save(out)) {
            status = 0;
            std::printf("%s: %dx%d pixels, %.0f dpi\n", argv[1], shot.width(), shot.height(),
                        form->screen()->logicalDotsPerInchX());
        } else {
            std::fprintf(stderr, "cannot write %s\n", argv[1]);
        }
        form->close();
    });
    app.exec();
    return status;
}
