// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/frame/mdi_camera_main.h"

#include "ui/camera/frm_camera.h"
#include "ui/config/frm_camera_config.h"
#include "ui/frame/camera_wall_status.h"
#include "ui/frame/enlarged_camera_view.h"
#include "ui/resources/camera_icon.h"
#include "ui/twips/screen_dpi.h"
#include "ui/twips/twips.h"
#include "ui/window_list/open_window_list.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>

namespace {

constexpr int kDesignedClientWidthTwips = 8385;
constexpr int kDesignedClientHeightTwips = 4560;
// How long a message (where a snapshot went) stays in the status bar.
constexpr int kMessageMs = 15000;

// Menu texts treat "&" as a mnemonic marker and a tab as the start of a shortcut.
QString menuText(QString caption)
{
    caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
    caption.replace(QLatin1Char('\t'), QLatin1Char(' '));
    return caption;
}

} // namespace

MDICameraMain::MDICameraMain(QWidget* parent)
    : QMainWindow(parent)
{
    platform::OpenWindowList::instance().add(this);
    setWindowTitle(QStringLiteral("Veskat Camera Overview (version 1.3)"));
    setWindowIcon(resources::cameraIcon());

    m_mdiArea = new QMdiArea(this);
    m_mdiArea->setBackground(m_mdiArea->palette().brush(QPalette::Dark));
    setCentralWidget(m_mdiArea);

    createActions();
    createViewActions();
    createMenus();
    createViewMenu();

    m_wallStatus = new CameraWallStatus(m_mdiArea, statusBar());
    m_enlarged = new EnlargedCameraView(this);
    connect(m_enlarged, &EnlargedCameraView::returnRequested, this, &MDICameraMain::showWall);
    // The enlarged view covers exactly the client area, wherever that goes.
    m_mdiArea->installEventFilter(this);

    // The restored size is the designed one, centred; the frame opens maximised.
    const platform::ScreenDpi dpi = platform::screenDpi(this);
    resize(platform::twipsToPixelSize(kDesignedClientWidthTwips, dpi.x),
        platform::twipsToPixelSize(kDesignedClientHeightTwips, dpi.y) + menuBar()->sizeHint().height()
            + statusBar()->sizeHint().height());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect restored = geometry();
        restored.moveCenter(screen->availableGeometry().center());
        move(restored.topLeft());
    }
    setWindowState(windowState() | Qt::WindowMaximized);

    LoadDisplays(0);
}

MDICameraMain::~MDICameraMain() = default;

void MDICameraMain::createActions()
{
    // Plain captions: no access keys, no shortcuts.
    mnuConfigure = new QAction(QStringLiteral("Configure Cameras"), this);
    connect(mnuConfigure, &QAction::triggered, this, [this] { mnuConfigure_Click(0); });

    mnuSaveCameraPositions = new QAction(QStringLiteral("Save Camera positions"), this);
    connect(mnuSaveCameraPositions, &QAction::triggered, this, &MDICameraMain::mnuSaveCameraPositions_Click);

    mnuReload = new QAction(QStringLiteral("Reload Cameras"), this);
    connect(mnuReload, &QAction::triggered, this, &MDICameraMain::mnuReload_Click);

    mnuExit = new QAction(QStringLiteral("Exit"), this);
    connect(mnuExit, &QAction::triggered, this, &MDICameraMain::mnuExit_Click);
}

void MDICameraMain::createMenus()
{
    mnuFile = menuBar()->addMenu(QStringLiteral("File"));
    mnuFile->addAction(mnuConfigure);
    mnuFile->addAction(mnuSaveCameraPositions);
    mnuFile->addAction(mnuReload);
    mnuFile->addAction(mnuExit);
    connect(mnuFile, &QMenu::aboutToShow, this, &MDICameraMain::updateWindowList);
}

// The open camera windows, listed under the menu's own items; choosing one
// brings it forward.
void MDICameraMain::updateWindowList()
{
    for (const QPointer<QAction>& action : m_windowListActions)
        delete action.data();
    m_windowListActions.clear();

    const QMdiSubWindow* active = m_mdiArea->activeSubWindow();
    for (QMdiSubWindow* window : m_mdiArea->subWindowList(QMdiArea::CreationOrder)) {
        QAction* action = mnuFile->addAction(menuText(window->windowTitle()));
        action->setCheckable(true);
        action->setChecked(window == active);
        connect(action, &QAction::triggered, this, [this, target = QPointer<QMdiSubWindow>(window)] {
            if (!target)
                return;
            // A window chosen while one camera is enlarged is shown on the wall.
            showWall();
            m_mdiArea->setActiveSubWindow(target);
        });
        m_windowListActions.emplace_back(action);
    }
}

void MDICameraMain::mnuConfigure_Click(int /*index*/)
{
    frmCameraConfig::showOrRaise();
}

void MDICameraMain::mnuSaveCameraPositions_Click()
{
    SaveMachineDisplayLocations();
}

void MDICameraMain::mnuExit_Click()
{
    close();
}

void MDICameraMain::connectCamera(frmCamera* camera)
{
    connect(camera, &frmCamera::enlargeRequested, this, [this, camera] {
        if (enlargedCamera() == camera)
            showWall();
        else
            enlargeCamera(camera);
    });
    connect(camera, &frmCamera::message, this,
        [this](const QString& text) { statusBar()->showMessage(text, kMessageMs); });
}

void MDICameraMain::enlargeCamera(frmCamera* camera)
{
    m_enlarged->setGeometry(m_mdiArea->geometry());
    m_enlarged->enlarge(camera);
}

void MDICameraMain::showWall()
{
    const QPointer<frmCamera> camera = enlargedCamera();
    m_enlarged->restore();
    // It was the active window, so on top already: activating it again
    // restacks nothing.
    if (camera) {
        m_mdiArea->setActiveSubWindow(camera);
        camera->setFocus(Qt::OtherFocusReason);
    }
}

frmCamera* MDICameraMain::enlargedCamera() const
{
    return m_enlarged->camera();
}

bool MDICameraMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_mdiArea && (event->type() == QEvent::Resize || event->type() == QEvent::Move))
        m_enlarged->setGeometry(m_mdiArea->geometry());
    return QMainWindow::eventFilter(watched, event);
}

void MDICameraMain::closeEvent(QCloseEvent* event)
{
    // The camera windows go with the frame; their positions are not stored.
    m_mdiArea->closeAllSubWindows();
    event->accept();
    platform::OpenWindowList::instance().remove(this);
}
