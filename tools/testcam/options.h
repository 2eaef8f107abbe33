// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The command line of veskat-testcam, parsed once at start on the main thread.
#include <QString>
#include <QStringList>

#include <optional>

namespace testcam {

enum class AuthScheme { None, Basic, Digest };
enum class EncodeMode { Auto, Live, Precoded };

struct Options {
    int cameras = 1;
    int port = 8080;
    int width = 640;
    int height = 480;
    double fps = 25.0;
    int quality = 80;
    QString user;
    QString password;
    AuthScheme auth = AuthScheme::None;
    EncodeMode mode = EncodeMode::Auto;
    // Fault switches; negative means off. 0 stalls (or drops) right after the
    // response headers, before the first picture.
    long long stallAfter = -1;
    long long dropAfter = -1;
    double refuseForSeconds = 0;
    // Always bounded, so that a forgotten camera never runs forever.
    double durationSeconds = 3600;
};

struct ParseResult {
    std::optional<Options> options;
    // Set when the program should print this and exit (help, or an error).
    QString message;
    int exitCode = 0;
};

// `arguments` includes the program name first, as QCoreApplication::arguments().
ParseResult parseOptions(const QStringList& arguments);

} // namespace testcam
