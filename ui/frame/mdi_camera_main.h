// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The program's main window: a multiple-document frame whose client area holds
// the camera windows, with the "File" menu that configures, stores positions,
// reloads and exits. Creating it opens the camera windows (LoadDisplays(0)).
// Beside it "View" arranges the wall and shows it full screen
// (mdi_camera_main_view.cpp), and "Help" tells what runs where (about_dialog.h).
//
// Thread: UI thread only.
#include <QMainWindow>
#include <QPointer>

#include <vector>

class CameraWallStatus;
class EnlargedCameraView;
class QAction;
class QMdiArea;
class QMenu;
class AboutDialog;
class frmCamera;

class MDICameraMain : public QMainWindow {
    Q_OBJECT
public:
    explicit MDICameraMain(QWidget* parent = nullptr);
    ~MDICameraMain() override;

    // Closes every camera window (a caption with "*") and opens one window per
    // camera whose "ShowMe" is 1, in index order. `fRefresh` has no effect.
    void LoadDisplays(int fRefresh);
    // Stores "Left" and "Top" of every open camera window in its own camera's
    // key, in whole twips. Windows that are not camera windows are skipped.
    void SaveMachineDisplayLocations();

    QMdiArea* mdiArea() const { return m_mdiArea; }
    QMenu* fileMenu() const { return mnuFile; }

    // One camera alone over the whole client area, the wall untouched beneath
    // (enlarged_camera_view.h); showWall() returns to it and gives the camera
    // window the focus again.
    void enlargeCamera(frmCamera* camera);
    void showWall();
    frmCamera* enlargedCamera() const;
    EnlargedCameraView* enlargedView() const { return m_enlarged; }
    CameraWallStatus* wallStatus() const { return m_wallStatus; }

    // "View": arranging moves and sizes the camera windows only; their
    // positions are stored by "Save Camera positions" alone.
    QMenu* viewMenu() const { return m_viewMenu; }
    QAction* tileAction() const { return m_tile; }
    QAction* cascadeAction() const { return m_cascade; }
    QAction* fullScreenAction() const { return m_fullScreen; }
    // Every shown camera window in a grid over the client area, each keeping
    // its picture's shape (tile_grid.h).
    void tileCameras();
    // The windows at their designed size, cascaded by the MDI area.
    void cascadeCameras();
    // Full screen without menu and status bar; off returns to the state before.
    void setFullScreen(bool on);

    QMenu* helpMenu() const { return m_helpMenu; }
    QAction* aboutAction() const { return m_about; }
    // The About window, opened or raised.
    AboutDialog* showAbout();

public slots:
    void mnuConfigure_Click(int index);
    void mnuSaveCameraPositions_Click();
    void mnuReload_Click();
    void mnuExit_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createActions();
    void createMenus();
    void createViewActions();
    void createViewMenu();
    void updateWindowList();
    // Enlarging and the status bar messages of a new camera window.
    void connectCamera(frmCamera* camera);

    QMdiArea* m_mdiArea = nullptr;
    QMenu* mnuFile = nullptr;
    QAction* mnuConfigure = nullptr;
    QAction* mnuSaveCameraPositions = nullptr;
    QAction* mnuReload = nullptr;
    QAction* mnuExit = nullptr;
    std::vector<QPointer<QAction>> m_windowListActions;
    EnlargedCameraView* m_enlarged = nullptr;
    CameraWallStatus* m_wallStatus = nullptr;

    QMenu* m_viewMenu = nullptr;
    QAction* m_tile = nullptr;
    QAction* m_cascade = nullptr;
    QAction* m_fullScreen = nullptr;
    QAction* m_leaveFullScreen = nullptr; // Escape, while full screen
    Qt::WindowStates m_stateBeforeFullScreen;
    QMenu* m_helpMenu = nullptr;
    QAction* m_about = nullptr;
    QPointer<AboutDialog> m_aboutDialog;
};
