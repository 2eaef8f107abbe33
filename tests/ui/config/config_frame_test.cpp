// SPDX-License-Identifier: GPL-2.0-or-later
// The form together with the real frame: "Configure Cameras" opens it, a saved
// address reaches the camera window after "Reload Cameras", and the form lives
// on after "Exit" until it is closed itself.
#include "core/seeding/module1.h"
#include "core/settings/camera_schema.h"
#include "core/settings/process_state.h"
#include "core/settings/registry_access.h"
#include "tests/support/test_env.h"
#include "tests/ui/camera/recording_media_control.h"
#include "tests/ui/config/config_test_support.h"
#include "tests/ui/config/registry_probe.h"
#include "ui/camera/frm_camera.h"
#include "ui/frame/mdi_camera_main.h"
#include "ui/twips/screen_dpi.h"
#include "ui/window_list/open_window_list.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <cmath>

using namespace config_test;
namespace Value = Veskat::CameraValue;

namespace {

class ConfigWithFrame : public testing::Test {
protected:
    ConfigWithFrame()
        : m_factory(veskat_test::recordingFactory())
    {
        Module1::SeedSettings();
        for (int i = 0; i < 14; ++i)
            writeNumber(i, Value::ShowMe, 0);
    }
    ~ConfigWithFrame() override
    {
        closeAnyOpenForm();
        delete m_frame.data();
        flushDeletes();
    }

    MDICameraMain* openFrame()
    {
        m_frame = new MDICameraMain;
        m_frame->setAttribute(Qt::WA_DeleteOnClose); // as the program does
        m_frame->show();
        return m_frame;
    }

    // The frame's "File" menu item with this caption.
    QAction* menuItem(const QString& caption) const
    {
        for (QAction* action : m_frame->fileMenu()->actions()) {
            if (action->text() == caption)
                return action;
        }
        ADD_FAILURE() << "no menu item " << caption.toStdString();
        return nullptr;
    }

    static frmCamera* cameraWindow(int index)
    {
        const auto& list = platform::OpenWindowList::instance();
        for (int k = 0; k < list.count(); ++k) {
            auto* window = qobject_cast<frmCamera*>(list.at(k));
            if (window && window->ppCameraNum() == index)
                return window;
        }
        return nullptr;
    }

    // Runs the application's event loop with `step` queued first; a generous
    // deadline ends it with 99 if the program never quits.
    static int runEventLoop(const std::function<void()>& step)
    {
        QTimer deadline;
        deadline.setSingleShot(true);
        QObject::connect(&deadline, &QTimer::timeout, [] { QCoreApplication::exit(99); });
        deadline.start(20000);
        QTimer::singleShot(0, qApp, step);
        return QApplication::exec();
    }

    veskat_test::TempEnvironment m_env;
    veskat_test::ScopedMediaFactory m_factory;
    QPointer<MDICameraMain> m_frame;
};

TEST_F(ConfigWithFrame, ConfigureCamerasOpensTheOneFormOrBringsItForward)
{
    openFrame();
    menuItem("Configure Cameras")->trigger();
    frmCameraConfig* form = frmCameraConfig::openForm();
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->parentWidget(), nullptr);
    form->txtCameraTitle[0]->setText("unsaved edit");

    menuItem("Configure Cameras")->trigger();
    EXPECT_EQ(frmCameraConfig::openForm(), form);
    EXPECT_EQ(form->txtCameraTitle[0]->text(), "unsaved edit");
}

TEST_F(ConfigWithFrame, SavedAddressReachesTheCameraWindowAfterReload)
{
    writeNumber(4, Value::ShowMe, 1);
    openFrame();
    menuItem("Configure Cameras")->trigger();
    frmCameraConfig* form = frmCameraConfig::openForm();
    ASSERT_NE(form, nullptr);
    form->txtIPAddress[4]->selectAll();
    QTest::keyClicks(form->txtIPAddress[4], "127.0.0.1:8085");
    QTest::mouseClick(form->cmdSave, Qt::LeftButton);
    flushDeletes();
    ASSERT_EQ(frmCameraConfig::openForm(), nullptr);

    menuItem("Reload Cameras")->trigger();
    flushDeletes();
    frmCamera* window = cameraWindow(4);
    ASSERT_NE(window, nullptr);
    auto* control = dynamic_cast<veskat_test::RecordingMediaControl*>(window->mediaControl());
    ASSERT_NE(control, nullptr);
    const veskat_test::MediaCall url
        = veskat_test::put(media::DispId::Url, std::string("http://127.0.0.1:8085/axis-cgi/mjpg/video.cgi"));
    EXPECT_NE(std::find(control->calls.begin(), control->calls.end(), url), control->calls.end());
}

TEST_F(ConfigWithFrame, SaveCameraPositionsWithTheFormOpenStoresEveryCameraWindow)
{
    for (int i : { 1, 6, 12 })
        writeNumber(i, Value::ShowMe, 1);
    openFrame();
    menuItem("Configure Cameras")->trigger();
    ASSERT_NE(frmCameraConfig::openForm(), nullptr);
    const auto& list = platform::OpenWindowList::instance();
    ASSERT_EQ(list.at(list.count() - 1), frmCameraConfig::openForm()); // the form is last

    const int cameras[] = { 1, 6, 12 };
    for (int n = 0; n < 3; ++n)
        cameraWindow(cameras[n])->move(20 + 90 * n, 11 + 40 * n);
    menuItem("Save Camera positions")->trigger();

    const platform::ScreenDpi dpi = platform::screenDpi();
    for (int n = 0; n < 3; ++n) {
        SCOPED_TRACE(cameras[n]);
        const auto left = readRaw(cameras[n], Value::Left);
        const auto top = readRaw(cameras[n], Value::Top);
        ASSERT_TRUE(left && top);
        EXPECT_EQ(left->number(), std::lround((20 + 90 * n) * 1440.0 / dpi.x));
        EXPECT_EQ(top->number(), std::lround((11 + 40 * n) * 1440.0 / dpi.y));
    }
}

TEST_F(ConfigWithFrame, ExitLeavesTheFormOpenAndTheProgramRunningUntilItCloses)
{
    writeNumber(2, Value::ShowMe, 1);
    openFrame();
    menuItem("Configure Cameras")->trigger();
    frmCameraConfig* form = frmCameraConfig::openForm();
    ASSERT_NE(form, nullptr);
    form->txtPassword[2]->setText("after exit");

    QSignalSpy lastWindowClosed(qApp, &QGuiApplication::lastWindowClosed);
    QObject guard; // drops the queued step should the loop end early
    bool frameGone = false;
    bool formOpenAfterExit = false;
    int closedAfterExit = -1;
    const int exitCode = runEventLoop([&] {
        menuItem("Exit")->trigger();
        closedAfterExit = lastWindowClosed.count();
        // Once the frame has been deleted, the form must still be there.
        QTimer::singleShot(0, &guard, [&, form = QPointer<frmCameraConfig>(form)] {
            flushDeletes();
            frameGone = m_frame.isNull() && cameraWindow(2) == nullptr;
            formOpenAfterExit = form && frmCameraConfig::openForm() == form && form->isVisible();
            if (form)
                closeWithCloseBox(form);
        });
    });
    EXPECT_EQ(closedAfterExit, 0);
    EXPECT_TRUE(frameGone);
    EXPECT_TRUE(formOpenAfterExit);
    EXPECT_EQ(exitCode, 0); // the program ended with the form's close, not at the deadline
    EXPECT_EQ(lastWindowClosed.count(), 1);
    EXPECT_EQ(readRaw(2, Value::Password)->text(), "after exit");
}

} // namespace
