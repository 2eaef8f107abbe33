// SPDX-License-Identifier: GPL-2.0-or-later
// veskat-probe: plays one camera stream through the real media control,
// without a window on screen, and reports what a camera window would show.
#include "core/media_contract/dispatch.h"
#include "media/control/media_engine.h"
#include "media/control/mjpeg_control.h"
#include "media/mjpeg/stream_url.h"
#include "media/stream/media_stats.h"
#include "tools/probe/probe_options.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>

namespace {

void printStatus(int code, const QString& detail)
{
    QString line = QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss.zzz")) + QLatin1Char(' ')
        + QString::number(code) + QLatin1Char(' ') + QString::fromUtf8(media::statusMeaning(code));
    if (!detail.isEmpty())
        line += QStringLiteral(" (%1)").arg(detail);
    std::printf("%s\n", line.toLocal8Bit().constData());
    std::fflush(stdout);
}

// Without a display the probe still runs: the control draws off screen.
void chooseOffscreenWithoutDisplay()
{
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return;
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    probe::ParseResult parsed = probe::parseOptions(arguments, std::getenv(probe::kPasswordVariable));
    if (!parsed.options) {
        std::fputs(parsed.message.c_str(), parsed.exitCode == 0 ? stdout : stderr);
        return parsed.exitCode;
    }
    probe::Options& options = *parsed.options;
    if (options.passwordFromStdin) {
        std::string line;
        std::getline(std::cin, line);
        options.password = probe::passwordLine(std::move(line));
    }

    chooseOffscreenWithoutDisplay();
    QApplication app(argc, argv);
    // The decode threads draw with Qt: they stop before the application goes.
    media::MediaEngineShutdown engineShutdown;

    std::unique_ptr<media::MediaControl> base(media::createMediaControl(nullptr));
    auto* control = dynamic_cast<media::MjpegControl*>(base.get());
    if (!control) {
        std::fprintf(stderr, "veskat-probe: the media control could not be created\n");
        return 3;
    }
    // The size of a camera window's picture area.
    control->resize(254, 213);
    control->setWindowFlag(Qt::WindowDoesNotAcceptFocus);
    control->show();

    QElapsedTimer clock;
    clock.start();
    qint64 firstPictureMs = -1;
    QObject::connect(control, &media::MjpegControl::statusChanged, &app, [&](int code) {
        printStatus(code, control->statusDetail());
        if (code == media::Status::Playing && firstPictureMs < 0)
            firstPictureMs = clock.elapsed();
        // These states wait for a restart that a probe does not make.
        if (code >= media::Status::Unauthorized)
            QTimer::singleShot(0, &app, &QCoreApplication::quit);
    });

    control->putProperty(media::DispId::Url, media::streamUrlForAddress(options.url));
    control->putProperty(media::DispId::UserName, options.user);
    control->putProperty(media::DispId::Password, options.password);
    control->putProperty(media::DispId::MediaType, std::string("mjpeg"));
    control->putProperty(media::DispId::NetworkTimeout, std::int32_t { 25000 });
    control->invoke(media::DispId::Start);

    QTimer::singleShot(static_cast<int>(options.seconds * 1000), &app, &QCoreApplication::quit);
    app.exec();

    const int lastStatus = control->status();
    const QString lastDetail = control->statusDetail();
    const media::MediaStats stats = control->stats();
    const qint64 endMs = clock.elapsed();
    control->invoke(media::DispId::Stop);
    base.reset();

    const double playingSeconds = (endMs - (firstPictureMs >= 0 ? firstPictureMs : 0)) / 1000.0;
    const double rate = playingSeconds > 0 ? static_cast<double>(stats.decoded) / playingSeconds : 0.0;
    std::printf("pictures received %llu, decoded %llu, skipped %llu, picture size %dx%d, %.1f pictures/s\n",
        static_cast<unsigned long long>(stats.received), static_cast<unsigned long long>(stats.decoded),
        static_cast<unsigned long long>(stats.skipped), stats.pictureWidth, stats.pictureHeight, rate);
    std::fflush(stdout);
    if (stats.decoded > 0)
        return 0;
    QString last = QStringLiteral("status %1 %2")
                       .arg(lastStatus)
                       .arg(QString::fromUtf8(media::statusMeaning(lastStatus)));
    if (!lastDetail.isEmpty())
        last += QStringLiteral(" (%1)").arg(lastDetail);
    std::printf("%s\n", last.toLocal8Bit().constData());
    std::fflush(stdout);
    return 1;
}
