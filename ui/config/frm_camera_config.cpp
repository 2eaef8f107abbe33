// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/config/frm_camera_config.h"

#include "core/settings/camera_schema.h"
#include "core/settings/process_state.h"
#include "core/settings/registry_access.h"
#include "ui/config/three_state_check_box.h"
#include "ui/resources/camera_icon.h"
#include "ui/window_list/open_window_list.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

namespace {

// The one open form; cleared as soon as it accepts its close, so that a new
// one can be opened while the old one waits for deletion.
QPointer<frmCameraConfig>& theForm()
{
    static QPointer<frmCameraConfig> form;
    return form;
}

Qt::CheckState toCheckState(Veskat::CheckValue value)
{
    switch (value) {
    case Veskat::CheckValue::Checked:
        return Qt::Checked;
    case Veskat::CheckValue::Grayed:
        return Qt::PartiallyChecked;
    case Veskat::CheckValue::Unchecked:
        break;
    }
    return Qt::Unchecked;
}

Veskat::CheckValue toCheckValue(Qt::CheckState state)
{
    switch (state) {
    case Qt::Checked:
        return Veskat::CheckValue::Checked;
    case Qt::PartiallyChecked:
        return Veskat::CheckValue::Grayed;
    case Qt::Unchecked:
        break;
    }
    return Veskat::CheckValue::Unchecked;
}

void writeText(int index, const char* valueName, const QLineEdit* box)
{
    Veskat::WriteCameraText(index, valueName, box->text().toStdString());
}

void writeCheck(int index, const char* valueName, Veskat::CheckBoxSetting loaded, const QCheckBox* box)
{
    loaded.state = toCheckValue(box->checkState());
    const Veskat::StoredCheckValue stored = Veskat::valueToStore(loaded);
    Veskat::WriteCameraValue(index, valueName, stored.value, stored.type);
}

} // namespace

frmCameraConfig* frmCameraConfig::showOrRaise()
{
    QPointer<frmCameraConfig>& form = theForm();
    if (form) {
        form->raise();
        form->activateWindow();
        return form;
    }
    form = new frmCameraConfig;
    form->centreOnScreen();
    form->show();
    // The window's border is only known once it is shown.
    form->centreOnScreen();
    return form;
}

frmCameraConfig* frmCameraConfig::openForm()
{
    return theForm();
}

frmCameraConfig::frmCameraConfig()
    : QWidget(nullptr,
        Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    // A tool window keeps the form off the task bar; Qt then drops it from the
    // windows that keep the program alive, which this form must count among.
    setAttribute(Qt::WA_QuitOnClose, true);
    setAttribute(Qt::WA_DeleteOnClose, true);
    setWindowTitle(QStringLiteral("Camera Configuration"));
    setWindowIcon(resources::cameraIcon());
    createControls();
    setTabOrderFrameByFrame();
    connect(cmdSave, &QPushButton::clicked, this, &frmCameraConfig::cmdSave_Click);
    // A program quit closes the form like the close box does, so its fields are written.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        if (theForm() == this)
            close();
    });
    platform::OpenWindowList::instance().add(this);
    Form_Load();
}

frmCameraConfig::~frmCameraConfig() = default;

void frmCameraConfig::centreOnScreen()
{
    QRect outer = frameGeometry();
    outer.moveCenter(screen()->availableGeometry().center());
    move(outer.topLeft());
}

int frmCameraConfig::lastCameraIndex() const
{
    return std::clamp<int>(Module1::MaxCameraIndex, -1, kCameraCount - 1);
}

void frmCameraConfig::Form_Load()
{
    using namespace Veskat;
    for (int i = 0; i <= lastCameraIndex(); ++i) {
        txtIPAddress[i]->setText(QString::fromStdString(ReadCameraValue(i, CameraValue::IPAddress).toText()));
        txtUsername[i]->setText(QString::fromStdString(ReadCameraValue(i, CameraValue::Username).toText()));
        txtPassword[i]->setText(QString::fromStdString(ReadCameraValue(i, CameraValue::Password).toText()));
        txtCameraTitle[i]->setText(QString::fromStdString(ReadCameraValue(i, CameraValue::Title).toText()));
        m_loadedShowMe[i] = checkBoxSettingFrom(ReadCameraValue(i, CameraValue::ShowMe));
        chkShow[i]->setCheckState(toCheckState(m_loadedShowMe[i].state));
        m_loadedDebug[i] = checkBoxSettingFrom(ReadCameraValue(i, CameraValue::Debug));
        chkDebugMode[i]->setCheckState(toCheckState(m_loadedDebug[i].state));
    }
}

void frmCameraConfig::SaveFields()
{
    using namespace Veskat;
    for (int i = 0; i <= lastCameraIndex(); ++i) {
        writeText(i, CameraValue::IPAddress, txtIPAddress[i]);
        writeText(i, CameraValue::Username, txtUsername[i]);
        writeText(i, CameraValue::Password, txtPassword[i]);
        writeText(i, CameraValue::Title, txtCameraTitle[i]);
        writeCheck(i, CameraValue::ShowMe, m_loadedShowMe[i], chkShow[i]);
        writeCheck(i, CameraValue::Debug, m_loadedDebug[i], chkDebugMode[i]);
    }
}

// The close that follows writes the fields; writing them here as well would
// only store the same 84 values a second time, with nothing able to run in
// between.
void frmCameraConfig::cmdSave_Click()
{
    close();
}

void frmCameraConfig::closeEvent(QCloseEvent* event)
{
    SaveFields();
    if (theForm() == this)
        theForm() = nullptr;
    platform::OpenWindowList::instance().remove(this);
    event->accept();
}
