// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// frmCameraConfig: the window in which the settings of all 14 cameras are
// edited. It is a top-level window of its own, never a child of the frame, so
// it outlives the frame's "Exit"; there is at most one, filled from the
// settings when it is created. Every way of closing it (the button, the close
// box, the system menu, the program quitting) writes all 84 fields back.
//
// Thread: UI thread only.
#include "core/settings/camera_schema.h"
#include "core/settings/check_box_setting.h"

#include <QWidget>

#include <array>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class ThreeStateCheckBox;

class frmCameraConfig : public QWidget {
    Q_OBJECT
public:
    static constexpr int kCameraCount = Veskat::kCameraCount;
    template <typename T> using ControlArray = std::array<T*, kCameraCount>;

    // "Configure Cameras": creates, fills, centres and shows the form, or
    // brings the open one forward.
    static frmCameraConfig* showOrRaise();
    // The open form, or nullptr when there is none.
    static frmCameraConfig* openForm();

    // Control arrays, indexed by camera index.
    ControlArray<QGroupBox> fraCamera {};
    ControlArray<QLabel> lblCameraTitle {};
    ControlArray<QLineEdit> txtCameraTitle {};
    ControlArray<QLabel> lblUsername {};
    ControlArray<QLineEdit> txtUsername {};
    ControlArray<QLabel> lblPassword {};
    ControlArray<QLineEdit> txtPassword {};
    ControlArray<QLabel> lblIPAddress {};
    ControlArray<QLineEdit> txtIPAddress {};
    ControlArray<ThreeStateCheckBox> chkDebugMode {};
    ControlArray<ThreeStateCheckBox> chkShow {};
    QPushButton* cmdSave = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    frmCameraConfig();
    ~frmCameraConfig() override;

    void createControls();
    void setTabOrderFrameByFrame();
    void centreOnScreen();
    int lastCameraIndex() const;

    void Form_Load();
    void SaveFields();
    void cmdSave_Click();

    // What each box was loaded from; a value the box cannot show is kept here
    // and written back while the box stays grayed.
    std::array<Veskat::CheckBoxSetting, kCameraCount> m_loadedShowMe {};
    std::array<Veskat::CheckBoxSetting, kCameraCount> m_loadedDebug {};
};
