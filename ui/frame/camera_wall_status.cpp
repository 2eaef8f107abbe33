// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/frame/camera_wall_status.h"

#include "core/media_contract/dispatch.h"
#include "ui/camera/frm_camera.h"
#include "ui/camera/plain_text.h"

#include <QLabel>
#include <QMdiArea>
#include <QStatusBar>

#include <cmath>

namespace {

void setIfChanged(QLabel* label, const QString& text)
{
    if (label->text() != text)
        label->setText(text);
}

} // namespace

CameraWallStatus::CameraWallStatus(QMdiArea* area, QStatusBar* bar)
    : QObject(bar)
    , m_area(area)
    , m_playing(new QLabel(bar))
    , m_failing(new QLabel(bar))
    , m_rate(new QLabel(bar))
{
    // Permanent widgets stay when a message (a snapshot's path) is shown.
    for (QLabel* label : { m_playing, m_failing, m_rate }) {
        label->setTextFormat(Qt::PlainText);
        label->setContentsMargins(8, 0, 8, 0);
        bar->addPermanentWidget(label);
    }
    connect(&m_timer, &QTimer::timeout, this, &CameraWallStatus::refresh);
    m_timer.start(kIntervalMs);
    refresh();
}

void CameraWallStatus::refresh()
{
    int cameras = 0;
    int playing = 0;
    QStringList failing;
    std::uint64_t drawnSinceLast = 0;
    std::map<const QObject*, std::uint64_t> drawn;
    for (QMdiSubWindow* window : m_area->subWindowList(QMdiArea::CreationOrder)) {
        const auto* camera = qobject_cast<const frmCamera*>(window);
        if (!camera)
            continue;
        ++cameras;
        const std::optional<frmCamera::StatusReport> report = camera->statusReport();
        if (!report)
            continue;
        if (report->status == media::Status::Playing)
            ++playing;
        if (report->failing) {
            QString line = camera->cameraName() + QStringLiteral(": ")
                + QString::fromUtf8(media::statusMeaning(report->status));
            if (!report->detail.isEmpty())
                line += QStringLiteral(" (%1)").arg(report->detail);
            failing << line;
        }
        drawn[camera] = report->drawn;
        if (const auto last = m_lastDrawn.find(camera); last != m_lastDrawn.end())
            drawnSinceLast += report->drawn >= last->second ? report->drawn - last->second : report->drawn;
    }
    const double seconds = m_sinceLast.isValid() ? m_sinceLast.restart() / 1000.0 : 0.0;
    if (!m_sinceLast.isValid())
        m_sinceLast.start();
    m_lastDrawn = std::move(drawn);

    setIfChanged(m_playing, tr("%1 of %2 cameras playing").arg(playing).arg(cameras));
    setIfChanged(m_failing, tr("%1 failing").arg(failing.size()));
    // Names and details come from the settings and the cameras: never rich text.
    const QString failingTip = failing.isEmpty()
        ? tr("No camera is failing")
        : camera::toolTipOfPlainText(failing.join(QLatin1Char('\n')));
    if (m_failing->toolTip() != failingTip)
        m_failing->setToolTip(failingTip);
    if (seconds > 0)
        setIfChanged(
            m_rate, tr("%1 pictures/s").arg(std::lround(static_cast<double>(drawnSinceLast) / seconds)));
    else
        setIfChanged(m_rate, tr("%1 pictures/s").arg(0));
}
