// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// One camera window: a child window of the frame showing one camera's live
// picture in its media control `AMC`, the camera's title in `lblCamera` under
// it, and `tmrReconnect`, which drives the status monitor every 30 s.
//
// Set-up runs in the constructor: it takes the camera index the frame gives
// it, sizes the window by Module1::CameraSize, reads the
// camera's settings and starts the stream. A window whose media control cannot
// be made still opens with its title and says so in its picture area.
//
// Positions and sizes are twips (1/1440 inch), converted with the screen's dpi.
//
// Beyond that (frm_camera_picture.cpp): a double-click on the picture or Enter
// asks the frame to show the camera enlarged, for which the window lends out
// its picture area; Ctrl+S and the picture's context menu save the picture
// on screen; hovering the picture tells what its status means.
//
// Thread: UI thread only.
#include "core/monitor/monitor_state.h"

#include <QMdiSubWindow>
#include <QRect>

#include <cstdint>
#include <optional>
#include <string>

class QAction;
class QLabel;
class QMdiArea;
class QTimer;

namespace media {
class MediaControl;
} // namespace media

class frmCamera : public QMdiSubWindow {
    Q_OBJECT
    // Read by the frame's "Save Camera positions" through the open-window list.
    Q_PROPERTY(int ppCameraNum READ ppCameraNum)

public:
    // Designed layout, twips.
    static constexpr int kClientWidth = 3810;
    static constexpr int kClientHeight = 3195;
    static constexpr int kPictureLeft = 45;
    static constexpr int kPictureTop = 45;
    static constexpr int kPictureWidth = 3705;
    static constexpr int kPictureHeight = 2760;
    static constexpr int kLabelLeft = 45;
    static constexpr int kLabelTop = 2835;
    static constexpr int kLabelWidth = 3705;
    static constexpr int kLabelHeight = 330;
    static constexpr int kReconnectIntervalMs = 30000;

    // With `area` the window opens inside that frame's client area.
    // `index` is the camera's (0 to Module1::MaxCameraIndex), as the frame counts them.
    explicit frmCamera(std::int16_t index, QMdiArea* area = nullptr);
    ~frmCamera() override;

    int ppCameraNum() const { return m_ppCameraNum; }

    // The window's edges in twips within the frame's client area: the values
    // from "Left"/"Top" as long as the window stays where set-up put it.
    float leftTwips() const;
    float topTwips() const;

    void setCaption(const std::string& utf8Caption);

    // Null when the window has no media control.
    media::MediaControl* mediaControl() const { return AMC; }
    // The media control, or the notice that stands in its place.
    QWidget* pictureArea() const;
    QLabel* titleLabel() const { return lblCamera; }
    const QTimer* reconnectTimer() const { return tmrReconnect; }
    std::int16_t debugLevel() const { return DebugLevel; }
    std::int32_t lastStatus() const { return LastStatus; }

    // The camera as a person calls it: its title, else "Camera #n".
    QString cameraName() const;

    // The stream's state as the status bar and the tooltip show it. Read from
    // the media control directly, not through property 15, so the monitor's
    // reads stay the only ones. None without a media control of our own.
    struct StatusReport {
        std::int32_t status = 0;
        bool failing = false; // the monitor restarts it
        QString detail; // what went wrong, or the note about an unset address
        std::uint64_t drawn = 0; // pictures painted so far
    };
    std::optional<StatusReport> statusReport() const;
    // The status code, its meaning and, when failing, the detail, as a
    // tooltip shows it literally (see camera/plain_text.h).
    QString statusToolTip() const;

    // "Save picture" (Ctrl+S): saves the picture on screen, as the camera sent
    // it, into the snapshot folder; says where, or why not, through message().
    QAction* savePictureAction() const { return m_savePicture; }
    void savePicture();

    // The frame borrows the picture area to show it enlarged: lendPicture()
    // hands it out (null when lent already), takePictureBack() puts it back
    // where it was. Closing the window takes it back first.
    QWidget* lendPicture();
    void takePictureBack();
    bool pictureLent() const { return m_pictureLent; }

    // Arranging the wall (the frame's "View" menu) sizes the window by its
    // picture area; its position and its stored "Left"/"Top" stay as they are.
    // The picture area's size, lent or not.
    QSize pictureAreaSize() const;
    // The shape the picture keeps when tiled: the camera's own picture once
    // one arrived, else the designed picture area.
    QSize pictureShape() const;
    // The window resized around a picture area of `picture` pixels, the label
    // under it as wide.
    void setPictureSize(QSize picture);
    // Back to the size set-up gave it ("CameraSize0to1500").
    void restoreDesignedSize();

signals:
    // A double-click on the picture, or Enter: show it enlarged, or back.
    void enlargeRequested();
    // A line for the frame's status bar.
    void message(const QString& text);
    void pictureTakenBack();

public slots:
    // The status monitor's tick (frm_camera_monitor.cpp).
    void tmrReconnect_Timer();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createPictureActions();
    void showPictureMenu(const QPoint& globalPos);
    void createControls();
    void setUp();
    void applySizeOffset(int offsetTwips);
    // Where the picture area sits in the window, kept for later while it is lent.
    void placePictureArea(const QRect& geometry);
    void placeAt(float leftTwips, float topTwips);
    // Appends one line to this camera's debug log (frm_camera_monitor.cpp).
    void AppendDebugLog(const std::string& text);

    // Established names of the window's controls and state.
    media::MediaControl* AMC = nullptr;
    QLabel* lblCamera = nullptr;
    QTimer* tmrReconnect = nullptr;
    std::int16_t DebugLevel = 0;
    // 32 bits: status codes above 32767 must survive.
    std::int32_t LastStatus = 0;

    std::int16_t m_ppCameraNum = 0;
    QWidget* m_client = nullptr;
    QLabel* m_noMediaNotice = nullptr;
    float m_leftTwips = 0;
    float m_topTwips = 0;
    QPoint m_placedAt;
    camera::MonitorWindowState m_monitor;

    QAction* m_savePicture = nullptr;
    bool m_pictureLent = false;
    QRect m_pictureGeometry; // where the lent picture area goes back to
    QString m_failureNote; // said instead of a connection error
};
