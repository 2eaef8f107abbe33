// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Runs Debian's ffprobe, the reference RTSP client here, against a test camera.
#include <QString>
#include <QStringList>

#include <string>

namespace rtsptestcam_test {

struct ProbeResult {
    int exitCode = -1;
    QString out; // the requested entries, one line each
    QString errors; // ffprobe's warnings and errors ("method DESCRIBE failed: 401 ...")
};

// `entries` as for -show_entries (for example "stream=codec_name,width,height");
// `extra` goes before the URL (for example {"-read_intervals", "%+3"}).
ProbeResult ffprobe(
    const QString& url, const QString& transport, const QString& entries, const QStringList& extra = {});

// "codec,width,height" of the video stream, as the tests compare it.
std::string streamSummary(const ProbeResult& result);

} // namespace rtsptestcam_test
