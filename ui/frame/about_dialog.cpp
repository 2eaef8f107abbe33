// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/frame/about_dialog.h"

#include "core/drive_c/drive_c.h"
#include "ui/camera/snapshot.h"
#include "ui/frame/settings_store_location.h"
#include "veskat_version.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QtGlobal>

#include <cstdio>
#include <curl/curl.h>

namespace {

QString curlVersion()
{
    const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
    return info && info->version ? QString::fromLatin1(info->version) : QStringLiteral("unknown");
}

// TurboJPEG has no run-time version call; this is the release it was built
// against, as pkg-config gave it to the build.
QString turboJpegVersion()
{
    return QStringLiteral(VESKAT_TURBOJPEG_VERSION);
}

} // namespace

std::vector<AboutDialog::Fact> AboutDialog::facts()
{
    return {
        { QStringLiteral("Version"), QString::fromLatin1(buildinfo::kVersion) },
        { QStringLiteral("Licence"), QStringLiteral("GPL-2.0-or-later") },
        { QStringLiteral("Qt"), QString::fromLatin1(qVersion()) },
        { QStringLiteral("libcurl"), curlVersion() },
        { QStringLiteral("TurboJPEG"), turboJpegVersion() },
        { QStringLiteral("Settings store"), settingsStoreLocation() },
        { QStringLiteral("Log folder (drive C:)"), QString::fromStdString(platform::driveCRoot().string()) },
        { QStringLiteral("Snapshot folder"), camera::snapshotFolder() },
    };
}

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About Veskat Camera Overview"));
    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel(QStringLiteral("Veskat Camera Overview shows up to 14 network cameras and "
                                              "restarts the streams that fail. It is free software under the "
                                              "GNU General Public License, version 2 or later."),
        this);
    heading->setTextFormat(Qt::PlainText);
    heading->setWordWrap(true);
    layout->addWidget(heading);

    auto* form = new QFormLayout;
    for (const Fact& fact : facts()) {
        // A read-only line: selectable and copyable, never taken as markup.
        auto* value = new QLineEdit(fact.value, this);
        value->setReadOnly(true);
        value->setObjectName(fact.name);
        value->setCursorPosition(0);
        value->setMinimumWidth(value->fontMetrics().horizontalAdvance(fact.value) + 16);
        auto* name = new QLabel(fact.name, this);
        name->setTextFormat(Qt::PlainText);
        form->addRow(name, value);
    }
    layout->addLayout(form);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    layout->addWidget(buttons);
}

QLineEdit* AboutDialog::field(const QString& name) const
{
    return findChild<QLineEdit*>(name, Qt::FindDirectChildrenOnly);
}
