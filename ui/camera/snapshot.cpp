// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/camera/snapshot.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace camera {

namespace {

// Room for the time, a " (n)" and ".jpg" within the 255 bytes most file
// systems allow.
constexpr int kMaxTitleBytes = 180;
constexpr int kMaxAttempts = 1000;

bool unsafeInFileName(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() == 0x7f || QStringLiteral("/\\:*?\"<>|").contains(c);
}

// The longest start of `title` of whole characters within kMaxTitleBytes
// in UTF-8, in one pass (a title may be a million characters long).
QString shortened(const QString& title)
{
    qsizetype bytes = 0;
    qsizetype end = 0;
    while (end < title.size()) {
        const char16_t c = title.at(end).unicode();
        const bool pair
            = QChar::isHighSurrogate(c) && end + 1 < title.size() && title.at(end + 1).isLowSurrogate();
        // A lone surrogate counts as the 3 bytes of the replacement character.
        const qsizetype size = pair ? 4 : c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
        if (bytes + size > kMaxTitleBytes)
            break;
        bytes += size;
        end += pair ? 2 : 1;
    }
    return title.left(end);
}

} // namespace

QString snapshotFolder()
{
    const QString chosen = qEnvironmentVariable(kSnapshotsVariable);
    if (!chosen.isEmpty())
        return chosen;
    QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (pictures.isEmpty())
        pictures = QDir::homePath();
    return QDir(pictures).filePath(QStringLiteral("veskat"));
}

QString snapshotBaseName(const QString& title, const QDateTime& localTime)
{
    QString safe;
    safe.reserve(title.size());
    for (const QChar c : title)
        safe.append(unsafeInFileName(c) ? QLatin1Char('_') : c);
    // Leading dots hide a file; trailing dots and blanks vanish on Windows.
    qsizetype first = 0;
    while (first < safe.size() && (safe.at(first) == QLatin1Char('.') || safe.at(first).isSpace()))
        ++first;
    safe = shortened(safe.mid(first));
    while (!safe.isEmpty() && (safe.back() == QLatin1Char('.') || safe.back().isSpace()))
        safe.chop(1);
    if (safe.isEmpty())
        safe = QStringLiteral("Camera");
    return safe + QLatin1Char(' ') + localTime.toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"));
}

SnapshotResult writeSnapshot(const QString& folder, const QString& baseName, const std::string& jpeg)
{
    const QDir dir(folder);
    if (!dir.mkpath(QStringLiteral(".")))
        return { {}, QStringLiteral("the folder %1 cannot be made").arg(QDir::toNativeSeparators(folder)) };
    for (int n = 1; n <= kMaxAttempts; ++n) {
        const QString name = n == 1 ? baseName : QStringLiteral("%1 (%2)").arg(baseName).arg(n);
        const QString path = dir.filePath(name + QStringLiteral(".jpg"));
        QFile file(path);
        // NewOnly creates the file or fails (O_EXCL): an existing one is never touched.
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (QFileInfo::exists(path))
                continue;
            return { {}, file.errorString() };
        }
        const auto size = static_cast<qint64>(jpeg.size());
        if (file.write(jpeg.data(), size) != size || !file.flush()) {
            const QString error = file.errorString();
            file.close();
            file.remove();
            return { {}, error };
        }
        file.close();
        return { path, {} };
    }
    return { {}, QStringLiteral("too many pictures of this second") };
}

} // namespace camera
