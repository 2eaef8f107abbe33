#pragma once
// One camera window: a child window of the frame showing one camera's live
// picture in its media control `AMC`, the camera's title in `lblCamera` under
// it, and `tmrReconnect`, which drives the status monitor every 30 s.
//
// Set-up runs in the constructor: it takes the camera index from
// camera::IndexHandOver, sizes the window by Module1::CameraSize, reads the
// camera's settings and starts the stream. A window whose media control cannot
// be made still opens with its title and says so in its picture area.
//
// Positions and sizes are twips (1/1440 inch), converted with the screen's dpi.
//
// Thread: UI thread only.
#include "camera/monitor/monitor_state.h"

#include <QMdiSubWindow>

#include <cstdint>
#include <string>

class QLabel;
class QMdiArea;
class QTimer;

namespace media {
class MediaControl;
}

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
    explicit frmCamera(QMdiArea* area = nullptr);
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

public slots:
    // The status monitor's tick (frm_camera_monitor.cpp).
    void tmrReconnect_Timer();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void setUp();
    void applySizeOffset(int offsetTwips);
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
};
