// SPDX-License-Identifier: GPL-2.0-or-later
// The frame's "View" and "Help" menus: arranging the camera windows, full
// screen, and the About window.
#include "ui/camera/frm_camera.h"
#include "ui/frame/about_dialog.h"
#include "ui/frame/mdi_camera_main.h"
#include "ui/frame/tile_grid.h"

#include <QAction>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

#include <algorithm>
#include <vector>

namespace {

// The camera windows on the wall, in the order they were opened.
std::vector<frmCamera*> shownCameras(const QMdiArea* area)
{
    std::vector<frmCamera*> cameras;
    for (QMdiSubWindow* window : area->subWindowList(QMdiArea::CreationOrder))
        if (auto* camera = qobject_cast<frmCamera*>(window); camera && !camera->isHidden())
            cameras.push_back(camera);
    return cameras;
}

double aspectOf(QSize size)
{
    return size.isEmpty() ? 4.0 / 3.0 : static_cast<double>(size.width()) / size.height();
}

} // namespace

void MDICameraMain::createViewActions()
{
    m_tile = new QAction(QStringLiteral("Tile cameras"), this);
    connect(m_tile, &QAction::triggered, this, &MDICameraMain::tileCameras);

    m_cascade = new QAction(QStringLiteral("Cascade cameras"), this);
    connect(m_cascade, &QAction::triggered, this, &MDICameraMain::cascadeCameras);

    m_fullScreen = new QAction(QStringLiteral("Full screen"), this);
    m_fullScreen->setCheckable(true);
    m_fullScreen->setShortcut(QKeySequence(Qt::Key_F11));
    connect(m_fullScreen, &QAction::triggered, this, &MDICameraMain::setFullScreen);
    // The menu bar is hidden in full screen: the window itself keeps the keys.
    addAction(m_fullScreen);

    m_leaveFullScreen = new QAction(this);
    m_leaveFullScreen->setShortcut(QKeySequence(Qt::Key_Escape));
    m_leaveFullScreen->setEnabled(false);
    connect(m_leaveFullScreen, &QAction::triggered, this, [this] {
        // Escape returns from the enlarged camera first, as it does outside.
        if (enlargedCamera())
            showWall();
        else
            setFullScreen(false);
    });
    addAction(m_leaveFullScreen);

    m_about = new QAction(QStringLiteral("About"), this);
    connect(m_about, &QAction::triggered, this, &MDICameraMain::showAbout);
}

void MDICameraMain::createViewMenu()
{
    m_viewMenu = menuBar()->addMenu(QStringLiteral("View"));
    m_viewMenu->addAction(m_tile);
    m_viewMenu->addAction(m_cascade);
    m_viewMenu->addSeparator();
    m_viewMenu->addAction(m_fullScreen);

    m_helpMenu = menuBar()->addMenu(QStringLiteral("Help"));
    m_helpMenu->addAction(m_about);
}

void MDICameraMain::tileCameras()
{
    showWall();
    const std::vector<frmCamera*> cameras = shownCameras(m_mdiArea);
    if (cameras.empty())
        return;

    // The grid is chosen for the usual shape; each window then keeps its own.
    std::vector<double> aspects;
    QSize frame;
    for (const frmCamera* camera : cameras) {
        aspects.push_back(aspectOf(camera->pictureShape()));
        frame = frame.expandedTo(camera->size() - camera->pictureAreaSize());
    }
    std::nth_element(aspects.begin(), aspects.begin() + aspects.size() / 2, aspects.end());
    const double aspect = aspects[aspects.size() / 2];

    const QSize area = m_mdiArea->viewport()->size();
    const TileGrid grid = chooseTileGrid(static_cast<int>(cameras.size()), area, frame, aspect);
    const QSize cell(area.width() / grid.columns, area.height() / grid.rows);
    for (std::size_t n = 0; n < cameras.size(); ++n) {
        frmCamera* camera = cameras[n];
        if (camera->isMinimized() || camera->isMaximized())
            camera->showNormal();
        camera->setPictureSize(fitPicture(cell - frame, aspectOf(camera->pictureShape())));
        const int column = static_cast<int>(n) % grid.columns;
        const int row = static_cast<int>(n) / grid.columns;
        QRect placed(QPoint(), camera->size());
        placed.moveCenter(QRect(QPoint(column * cell.width(), row * cell.height()), cell).center());
        camera->move(placed.topLeft());
    }
}

void MDICameraMain::cascadeCameras()
{
    showWall();
    for (frmCamera* camera : shownCameras(m_mdiArea))
        camera->restoreDesignedSize();
    m_mdiArea->cascadeSubWindows();
}

void MDICameraMain::setFullScreen(bool on)
{
    if (on == isFullScreen()) {
        m_fullScreen->setChecked(on);
        return;
    }
    menuBar()->setVisible(!on);
    statusBar()->setVisible(!on);
    if (on) {
        m_stateBeforeFullScreen = windowState();
        setWindowState(windowState() | Qt::WindowFullScreen);
        show();
    } else {
        setWindowState(m_stateBeforeFullScreen & ~Qt::WindowFullScreen);
    }
    m_fullScreen->setChecked(on);
    m_leaveFullScreen->setEnabled(on);
}

AboutDialog* MDICameraMain::showAbout()
{
    if (!m_aboutDialog)
        m_aboutDialog = new AboutDialog(this);
    m_aboutDialog->show();
    m_aboutDialog->raise();
    m_aboutDialog->activateWindow();
    return m_aboutDialog;
}
