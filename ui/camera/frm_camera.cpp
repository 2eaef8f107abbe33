// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/camera/frm_camera.h"

#include "core/settings/process_state.h"
#include "media/control/media_control.h"
#include "ui/camera/media_factory.h"
#include "ui/resources/camera_icon.h"
#include "ui/twips/screen_dpi.h"
#include "ui/twips/twips.h"
#include "ui/window_list/open_window_list.h"

#include <QCloseEvent>
#include <QFont>
#include <QLabel>
#include <QLayout>
#include <QMdiArea>
#include <QTimer>

#include <algorithm>

frmCamera::frmCamera(std::int16_t index, QMdiArea* area)
    : m_ppCameraNum(index)
{
    setAttribute(Qt::WA_DeleteOnClose);
    // A fixed dialog border: title and close button only.
    setWindowFlags(Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
        | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("*"));
    setWindowIcon(resources::cameraIcon());
    createControls();
    if (area)
        area->addSubWindow(this);
    platform::OpenWindowList::instance().add(this);
    setUp();
}

frmCamera::~frmCamera()
{
    // A picture area still lent out belongs to this window and goes with it.
    if (m_pictureLent) {
        m_pictureLent = false;
        QWidget* picture = pictureArea();
        emit pictureTakenBack();
        delete picture;
        AMC = nullptr;
        m_noMediaNotice = nullptr;
    }
}

void frmCamera::createControls()
{
    m_client = new QWidget;
    setWidget(m_client);

    AMC = camera::createMediaControl(m_client);
    if (!AMC) {
        m_noMediaNotice = new QLabel(m_client);
        m_noMediaNotice->setTextFormat(Qt::PlainText);
        m_noMediaNotice->setText(tr("No media control: the picture of this camera cannot be shown."));
        m_noMediaNotice->setAlignment(Qt::AlignCenter);
        m_noMediaNotice->setWordWrap(true);
        m_noMediaNotice->setAutoFillBackground(true);
        m_noMediaNotice->setStyleSheet(QStringLiteral("background: #202428; color: #f0f0f0;"));
    }

    lblCamera = new QLabel(m_client);
    lblCamera->setTextFormat(Qt::PlainText);
    lblCamera->setAlignment(Qt::AlignCenter);
    QFont font;
    font.setFamilies({ QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
        QStringLiteral("DejaVu Sans") });
    font.setPointSizeF(9.75);
    lblCamera->setFont(font);

    tmrReconnect = new QTimer(this);
    tmrReconnect->setInterval(kReconnectIntervalMs);
    connect(tmrReconnect, &QTimer::timeout, this, &frmCamera::tmrReconnect_Timer);
    tmrReconnect->start();

    createPictureActions();
}

QWidget* frmCamera::pictureArea() const
{
    if (AMC)
        return AMC;
    return m_noMediaNotice;
}

void frmCamera::applySizeOffset(int offsetTwips)
{
    const platform::ScreenDpi dpi = platform::screenDpi(this);
    const auto px = [&](double twips) { return platform::twipsToPixels(twips, dpi.x); };
    const auto py = [&](double twips) { return platform::twipsToPixels(twips, dpi.y); };
    const auto width = [&](double twips) { return platform::twipsToPixelSize(twips, dpi.x); };
    const auto height = [&](double twips) { return platform::twipsToPixelSize(twips, dpi.y); };
    const double offset = offsetTwips;

    // The window: the border stays as it is, so the outer size grows with the client area.
    m_client->setFixedSize(width(kClientWidth + offset), height(kClientHeight + offset));
    // The picture area grows; the label moves down with it and widens.
    const QRect picture(
        px(kPictureLeft), py(kPictureTop), width(kPictureWidth + offset), height(kPictureHeight + offset));
    placePictureArea(picture);
    lblCamera->setGeometry(px(kLabelLeft), std::max(0, py(kLabelTop + offset)), width(kLabelWidth + offset),
        height(kLabelHeight));

    if (layout())
        layout()->activate();
    setFixedSize(minimumSizeHint());
}

void frmCamera::placePictureArea(const QRect& geometry)
{
    if (m_pictureLent)
        m_pictureGeometry = geometry;
    else if (QWidget* area = pictureArea())
        area->setGeometry(geometry);
}

QSize frmCamera::pictureAreaSize() const
{
    if (m_pictureLent)
        return m_pictureGeometry.size();
    const QWidget* area = pictureArea();
    return area ? area->size() : QSize();
}

QSize frmCamera::pictureShape() const
{
    if (AMC && !AMC->pictureSize().isEmpty())
        return AMC->pictureSize();
    const platform::ScreenDpi dpi = platform::screenDpi(this);
    return { platform::twipsToPixelSize(kPictureWidth, dpi.x),
        platform::twipsToPixelSize(kPictureHeight, dpi.y) };
}

void frmCamera::setPictureSize(QSize picture)
{
    const platform::ScreenDpi dpi = platform::screenDpi(this);
    const auto width = [&](double twips) { return platform::twipsToPixelSize(twips, dpi.x); };
    const auto height = [&](double twips) { return platform::twipsToPixelSize(twips, dpi.y); };
    // The designed margins around the picture and the label stay as they are.
    const int left = width(kPictureLeft);
    const int right = width(kClientWidth - kPictureLeft - kPictureWidth);
    const int top = height(kPictureTop);
    const int gap = height(kLabelTop - kPictureTop - kPictureHeight);
    const int label = height(kLabelHeight);
    const int bottom = height(kClientHeight - kLabelTop - kLabelHeight);
    picture = picture.expandedTo(QSize(1, 1));

    m_client->setFixedSize(left + picture.width() + right, top + picture.height() + gap + label + bottom);
    placePictureArea(QRect(QPoint(left, top), picture));
    lblCamera->setGeometry(left, top + picture.height() + gap, picture.width(), label);
    if (layout())
        layout()->activate();
    setFixedSize(minimumSizeHint());
}

void frmCamera::restoreDesignedSize()
{
    applySizeOffset(Module1::CameraSize);
}

void frmCamera::placeAt(float leftTwips, float topTwips)
{
    const platform::ScreenDpi dpi = platform::screenDpi(this);
    m_leftTwips = leftTwips;
    m_topTwips = topTwips;
    m_placedAt = QPoint(platform::twipsToPixels(leftTwips, dpi.x), platform::twipsToPixels(topTwips, dpi.y));
    move(m_placedAt);
}

float frmCamera::leftTwips() const
{
    if (pos().x() == m_placedAt.x())
        return m_leftTwips;
    return static_cast<float>(platform::pixelsToTwips(pos().x(), platform::screenDpi(this).x));
}

float frmCamera::topTwips() const
{
    if (pos().y() == m_placedAt.y())
        return m_topTwips;
    return static_cast<float>(platform::pixelsToTwips(pos().y(), platform::screenDpi(this).y));
}

void frmCamera::setCaption(const std::string& utf8Caption)
{
    setWindowTitle(QString::fromStdString(utf8Caption));
}

void frmCamera::closeEvent(QCloseEvent* event)
{
    QMdiSubWindow::closeEvent(event);
    if (event->isAccepted()) {
        takePictureBack();
        platform::OpenWindowList::instance().remove(this);
    }
}
