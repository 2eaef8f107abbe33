// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Snapshots: a camera's picture saved as the JPEG the camera sent, into
// $VESKAT_SNAPSHOTS when set, else the user's pictures folder under "veskat",
// named after the camera and the local time. A file is never replaced: a
// taken name gets " (2)", " (3)", ...
//
// Thread: any; the camera window calls it on the UI thread.
#include <QDateTime>
#include <QString>

#include <string>

namespace camera {

inline constexpr const char* kSnapshotsVariable = "VESKAT_SNAPSHOTS";

QString snapshotFolder();

// "<title> yyyy-MM-dd HH-mm-ss", the title made safe for file names on Linux
// and Windows alike (no path separators, reserved or control characters, no
// leading dots) and short enough for any file system.
QString snapshotBaseName(const QString& title, const QDateTime& localTime);

struct SnapshotResult {
    QString path; // the file written; empty on failure
    QString error; // why nothing was written
};

// Creates `folder` if needed and writes `jpeg` into a new file there.
SnapshotResult writeSnapshot(const QString& folder, const QString& baseName, const std::string& jpeg);

} // namespace camera
