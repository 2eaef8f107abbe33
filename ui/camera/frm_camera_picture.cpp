// SPDX-License-Identifier: GPL-2.0-or-later
// What the camera window offers around its picture: enlarging (double-click,
// Enter), snapshots (Ctrl+S, context menu) and the status tooltip.
#include "ui/camera/frm_camera.h"

#include "core/media_contract/dispatch.h"
#include "core/monitor/status_monitor.h"
#include "media/control/media_control.h"
#include "ui/camera/plain_text.h"
#include "ui/camera/snapshot.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDir>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QToolTip>

void frmCamera::createPictureActions()
{
    m_savePicture = new QAction(tr("Save picture"), this);
    m_savePicture->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    // Only for the active camera window (or its enlarged picture), never the whole frame.
    m_savePicture->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(m_savePicture, &QAction::triggered, this, &frmCamera::savePicture);
    addAction(m_savePicture);

    if (QWidget* picture = pictureArea())
        picture->installEventFilter(this);
}

QString frmCamera::cameraName() const
{
    const QString title = lblCamera->text().trimmed();
    return title.isEmpty() ? QStringLiteral("Camera #%1").arg(m_ppCameraNum + 1) : title;
}

std::optional<frmCamera::StatusReport> frmCamera::statusReport() const
{
    const media::MediaControl* control = AMC;
    if (!control)
        return std::nullopt;
    StatusReport report;
    report.status = control->status();
    report.failing = media::Status::isFailing(report.status);
    report.detail = control->shownDetail();
    report.drawn = control->drawnCount();
    return report;
}

QString frmCamera::statusToolTip() const
{
    const std::optional<StatusReport> report = statusReport();
    if (!report)
        return tr("No media control: the picture of this camera cannot be shown.");
    QString text = tr("Status %1: %2")
                       .arg(report->status)
                       .arg(QString::fromUtf8(media::statusExplanation(report->status)));
    if (report->failing) {
        if (!report->detail.isEmpty())
            text += QLatin1Char('\n') + report->detail;
        if (camera::monitors(DebugLevel))
            text += QLatin1Char('\n') + tr("The window restarts the stream at its next check (every 30 s).");
    }
    return camera::toolTipOfPlainText(text);
}

void frmCamera::savePicture()
{
    const media::MediaControl* control = AMC;
    const std::shared_ptr<const std::string> jpeg = control ? control->pictureJpeg() : nullptr;
    const QString name = cameraName();
    if (!jpeg || jpeg->empty()) {
        emit message(tr("%1 has no picture yet: nothing was saved.").arg(name));
        return;
    }
    const camera::SnapshotResult saved = camera::writeSnapshot(
        camera::snapshotFolder(), camera::snapshotBaseName(name, QDateTime::currentDateTime()), *jpeg);
    if (saved.path.isEmpty())
        emit message(tr("The picture of %1 was not saved: %2").arg(name, saved.error));
    else
        emit message(tr("Picture of %1 saved to %2").arg(name, QDir::toNativeSeparators(saved.path)));
}

QWidget* frmCamera::lendPicture()
{
    QWidget* picture = pictureArea();
    if (!picture || m_pictureLent)
        return nullptr;
    m_pictureGeometry = picture->geometry();
    m_pictureLent = true;
    return picture;
}

void frmCamera::takePictureBack()
{
    if (!m_pictureLent)
        return;
    m_pictureLent = false;
    if (QWidget* picture = pictureArea()) {
        picture->setParent(m_client);
        picture->setGeometry(m_pictureGeometry);
        picture->show();
    }
    emit pictureTakenBack();
}

void frmCamera::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        emit enlargeRequested();
        return;
    }
    QMdiSubWindow::keyPressEvent(event);
}

void frmCamera::showPictureMenu(const QPoint& globalPos)
{
    QMenu menu;
    menu.addAction(m_savePicture);
    // The key after the tab is only shown: Enter and Escape are handled elsewhere.
    QAction* enlarge
        = menu.addAction(m_pictureLent ? tr("Back to all cameras\tEsc") : tr("Show alone\tEnter"));
    connect(enlarge, &QAction::triggered, this, &frmCamera::enlargeRequested);
    menu.exec(globalPos);
}

// The picture area is watched wherever it is, in this window or lent out.
bool frmCamera::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != pictureArea())
        return QMdiSubWindow::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            emit enlargeRequested();
            return true;
        }
        break;
    case QEvent::ContextMenu:
        showPictureMenu(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    case QEvent::ToolTip:
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), statusToolTip(), pictureArea());
        return true;
    default:
        break;
    }
    // Not the sub-window's own filter: it is meant for the window's widget only.
    return false;
}
