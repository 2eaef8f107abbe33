// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/testcam/options.h"

#include "veskat_version.h"

#include <QCommandLineParser>

namespace testcam {

namespace {

// A value out of range or a missing argument: 1, as the tests and scripts know
// it. An option nobody knows: 2, the usual code for a wrong command line.
constexpr int kExitBadValue = 1;
constexpr int kExitUnknownOption = 2;

// One line, so that a script's log shows what was wrong and where to look.
ParseResult failure(const QString& message, int exitCode = kExitBadValue)
{
    ParseResult r;
    r.message = QStringLiteral("veskat-testcam: %1 (see veskat-testcam --help)\n").arg(message);
    r.exitCode = exitCode;
    return r;
}

bool toInt(const QString& text, int min, int max, int& out)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < min || v > max)
        return false;
    out = v;
    return true;
}

bool toDouble(const QString& text, double min, double max, double& out)
{
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || !(v >= min) || !(v <= max))
        return false;
    out = v;
    return true;
}

bool toCount(const QString& text, long long& out)
{
    bool ok = false;
    const long long v = text.toLongLong(&ok);
    if (!ok || v < 0)
        return false;
    out = v;
    return true;
}

} // namespace

ParseResult parseOptions(const QStringList& arguments)
{
    QCommandLineParser p;
    p.setApplicationDescription(
        QStringLiteral("A test camera: serves generated Motion-JPEG streams at /axis-cgi/mjpg/video.cgi\n"
                       "on 127.0.0.1, one camera per port. Each part carries X-Send-Time-Us (microseconds\n"
                       "since the Unix epoch) and X-Frame (the camera's frame counter).\n"
                       "Prints a line containing \"ready\" and every camera's port once all listen.\n\n"
                       "Exit status: 0 after --duration or on SIGTERM, 1 for a wrong option value,\n"
                       "2 for an unknown option or a port that cannot be bound."));
    const QCommandLineOption help(
        { QStringLiteral("h"), QStringLiteral("help") }, QStringLiteral("Show this help."));
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Show the version."));
    const QCommandLineOption cameras(QStringLiteral("cameras"),
        QStringLiteral("Number of cameras, on consecutive ports (default 1)."), QStringLiteral("N"),
        QStringLiteral("1"));
    const QCommandLineOption port(QStringLiteral("port"),
        QStringLiteral("Port of the first camera (default 8080); 0: each camera a free port, printed."),
        QStringLiteral("P"), QStringLiteral("8080"));
    const QCommandLineOption size(QStringLiteral("size"), QStringLiteral("Picture size (default 640x480)."),
        QStringLiteral("WxH"), QStringLiteral("640x480"));
    const QCommandLineOption fps(QStringLiteral("fps"), QStringLiteral("Pictures per second (default 25)."),
        QStringLiteral("F"), QStringLiteral("25"));
    const QCommandLineOption quality(QStringLiteral("quality"),
        QStringLiteral("JPEG quality 1..100 (default 80)."), QStringLiteral("Q"), QStringLiteral("80"));
    const QCommandLineOption user(
        QStringLiteral("user"), QStringLiteral("User name required of clients."), QStringLiteral("U"));
    const QCommandLineOption password(
        QStringLiteral("password"), QStringLiteral("Password required."), QStringLiteral("W"));
    const QCommandLineOption auth(QStringLiteral("auth"),
        QStringLiteral("basic, digest (MD5, qop=auth) or none; default basic "
                       "when --user is given, else none."),
        QStringLiteral("basic|digest|none"));
    const QCommandLineOption live(QStringLiteral("live"),
        QStringLiteral("Encode every picture live with the real counter, send "
                       "time and camera number drawn in."));
    const QCommandLineOption precoded(QStringLiteral("precoded"),
        QStringLiteral("Send a cycle of pictures encoded at start (little "
                       "CPU). Default: live when the load is light."));
    const QCommandLineOption stall(QStringLiteral("stall-after"),
        QStringLiteral("After N pictures keep the connection open but send "
                       "nothing more."),
        QStringLiteral("N"));
    const QCommandLineOption drop(QStringLiteral("drop-after"),
        QStringLiteral("Close the connection after N pictures."), QStringLiteral("N"));
    const QCommandLineOption refuse(QStringLiteral("refuse-for"),
        QStringLiteral("Refuse connections for the first S seconds."), QStringLiteral("S"));
    const QCommandLineOption duration(QStringLiteral("duration"),
        QStringLiteral("Exit after S seconds (default 3600)."), QStringLiteral("S"), QStringLiteral("3600"));
    p.addOptions({ help, version, cameras, port, size, fps, quality, user, password, auth, live, precoded,
        stall, drop, refuse, duration });

    if (!p.parse(arguments)) {
        if (!p.unknownOptionNames().isEmpty()) {
            const QString name = p.unknownOptionNames().first();
            return failure(QStringLiteral("unknown option %1%2").arg(name.size() == 1 ? "-" : "--", name),
                kExitUnknownOption);
        }
        return failure(p.errorText());
    }
    if (p.isSet(help)) {
        ParseResult r;
        r.message = p.helpText();
        return r;
    }
    if (p.isSet(version)) {
        ParseResult r;
        r.message = QStringLiteral("veskat-testcam %1\n").arg(QLatin1String(buildinfo::kVersion));
        return r;
    }
    if (!p.positionalArguments().isEmpty())
        return failure(QStringLiteral("unexpected argument '%1'").arg(p.positionalArguments().first()));

    Options o;
    if (!toInt(p.value(cameras), 1, 1000, o.cameras))
        return failure(QStringLiteral("--cameras needs a number from 1 to 1000"));
    if (!toInt(p.value(port), 0, 65535, o.port) || o.port + o.cameras - 1 > 65535)
        return failure(QStringLiteral("--port needs a port such that all cameras fit below 65536"));
    const QStringList wh = p.value(size).toLower().split(QLatin1Char('x'));
    if (wh.size() != 2 || !toInt(wh[0], 16, 8192, o.width) || !toInt(wh[1], 16, 8192, o.height))
        return failure(QStringLiteral("--size needs WxH, each from 16 to 8192"));
    if (!toDouble(p.value(fps), 0.1, 1000, o.fps))
        return failure(QStringLiteral("--fps needs a number from 0.1 to 1000"));
    if (!toInt(p.value(quality), 1, 100, o.quality))
        return failure(QStringLiteral("--quality needs a number from 1 to 100"));
    o.user = p.value(user);
    o.password = p.value(password);
    if (p.isSet(auth)) {
        const QString a = p.value(auth).toLower();
        if (a == QLatin1String("basic"))
            o.auth = AuthScheme::Basic;
        else if (a == QLatin1String("digest"))
            o.auth = AuthScheme::Digest;
        else if (a == QLatin1String("none"))
            o.auth = AuthScheme::None;
        else
            return failure(QStringLiteral("--auth needs basic, digest or none"));
    } else if (p.isSet(user)) {
        o.auth = AuthScheme::Basic;
    }
    if (o.auth != AuthScheme::None && !p.isSet(user))
        return failure(QStringLiteral("--auth basic or digest needs --user"));
    if (p.isSet(live) && p.isSet(precoded))
        return failure(QStringLiteral("--live and --precoded exclude each other"));
    o.mode = p.isSet(live) ? EncodeMode::Live : p.isSet(precoded) ? EncodeMode::Precoded : EncodeMode::Auto;
    if (p.isSet(stall) && !toCount(p.value(stall), o.stallAfter))
        return failure(QStringLiteral("--stall-after needs a count"));
    if (p.isSet(drop) && !toCount(p.value(drop), o.dropAfter))
        return failure(QStringLiteral("--drop-after needs a count"));
    if (p.isSet(refuse) && !toDouble(p.value(refuse), 0, 1e6, o.refuseForSeconds))
        return failure(QStringLiteral("--refuse-for needs seconds"));
    if (!toDouble(p.value(duration), 0.1, 1e7, o.durationSeconds))
        return failure(QStringLiteral("--duration needs seconds from 0.1"));

    ParseResult r;
    r.options = o;
    return r;
}

} // namespace testcam
