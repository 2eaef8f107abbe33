// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/frame/enlarged_camera_view.h"

#include "media/control/media_control.h"
#include "ui/camera/frm_camera.h"

#include <QAction>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

EnlargedCameraView::EnlargedCameraView(QWidget* parent)
    : QWidget(parent)
{
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Dark);
    // Keys (Escape, Ctrl+S) come here while the camera is shown.
    setFocusPolicy(Qt::StrongFocus);

    m_caption = new QLabel(this);
    m_caption->setTextFormat(Qt::PlainText);
    auto* hint = new QLabel(tr("Esc or double-click: all cameras"), this);
    hint->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* header = new QHBoxLayout;
    header->setContentsMargins(6, 2, 6, 2);
    header->addWidget(m_caption, 1);
    header->addWidget(hint);

    m_stage = new QWidget(this);
    m_stage->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(header);
    layout->addWidget(m_stage, 1);
    hide();
}

EnlargedCameraView::~EnlargedCameraView()
{
    restore();
}

void EnlargedCameraView::enlarge(frmCamera* camera)
{
    if (!camera || camera == m_camera)
        return;
    restore();
    QWidget* picture = camera->lendPicture();
    if (!picture)
        return;
    m_camera = camera;
    m_picture = picture;
    picture->setParent(m_stage);
    picture->show();
    addAction(camera->savePictureAction());
    m_connections << connect(
        camera, &frmCamera::pictureTakenBack, this, &EnlargedCameraView::pictureTakenBack)
                  << connect(camera, &QWidget::windowTitleChanged, this, &EnlargedCameraView::updateHeader);
    if (auto* control = qobject_cast<media::MediaControl*>(picture))
        m_connections << connect(
            control, &media::MediaControl::pictureSizeChanged, this, &EnlargedCameraView::placePicture);
    updateHeader();
    show();
    raise();
    setFocus(Qt::OtherFocusReason);
    if (layout())
        layout()->activate();
    placePicture();
}

frmCamera* EnlargedCameraView::camera() const
{
    return m_camera;
}

void EnlargedCameraView::restore()
{
    if (m_camera)
        m_camera->takePictureBack(); // comes back through pictureTakenBack()
}

void EnlargedCameraView::pictureTakenBack()
{
    for (const QMetaObject::Connection& connection : std::as_const(m_connections))
        disconnect(connection);
    m_connections.clear();
    if (m_camera)
        removeAction(m_camera->savePictureAction());
    m_camera = nullptr;
    m_picture = nullptr;
    hide();
    emit restored();
}

void EnlargedCameraView::updateHeader()
{
    if (m_camera)
        m_caption->setText(m_camera->windowTitle() + QStringLiteral(" \u2014 ") + m_camera->cameraName());
}

void EnlargedCameraView::placePicture()
{
    if (!m_picture)
        return;
    const QRect room = m_stage->rect();
    QSize size = room.size();
    if (const auto* control = qobject_cast<const media::MediaControl*>(m_picture.data());
        control && !control->pictureSize().isEmpty())
        size = control->pictureSize().scaled(room.size(), Qt::KeepAspectRatio);
    QRect placed(QPoint(), size);
    placed.moveCenter(room.center());
    m_picture->setGeometry(placed);
}

bool EnlargedCameraView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_stage && event->type() == QEvent::Resize)
        placePicture();
    return QWidget::eventFilter(watched, event);
}

void EnlargedCameraView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && m_camera) {
        emit returnRequested();
        return;
    }
    QWidget::keyPressEvent(event);
}
