// SPDX-License-Identifier: GPL-2.0-or-later
// One form at a time, its place in the open-window list, and how it lives
// alongside the rest of the program: it keeps the program running while it is
// open and ends it when it is the last window to close.
#include "core/settings/camera_schema.h"
#include "tests/support/test_env.h"
#include "tests/ui/config/config_test_support.h"
#include "tests/ui/config/registry_probe.h"
#include "ui/window_list/open_window_list.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

using namespace config_test;
namespace Value = Veskat::CameraValue;

namespace {

bool inWindowList(const QWidget* window)
{
    const auto& list = platform::OpenWindowList::instance();
    for (int k = 0; k < list.count(); ++k) {
        if (list.at(k) == window)
            return true;
    }
    return false;
}

// Runs the application's event loop the way the program does, with `step`
// queued first; a generous deadline ends it with 99 if the loop never quits.
int runEventLoop(const std::function<void()>& step)
{
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    deadline.start(20000);
    QTimer::singleShot(0, qApp, step);
    return QApplication::exec();
}

class ConfigLifecycle : public testing::Test {
protected:
    void SetUp() override { seedAllCameras(); }
    void TearDown() override { closeAnyOpenForm(); }

    veskat_test::TempEnvironment m_env;
};

TEST_F(ConfigLifecycle, ConfigureTwiceBringsTheSameFormForward)
{
    frmCameraConfig* first = frmCameraConfig::showOrRaise();
    first->txtCameraTitle[1]->setText("edited");
    frmCameraConfig* second = frmCameraConfig::showOrRaise();
    EXPECT_EQ(second, first);
    EXPECT_EQ(frmCameraConfig::openForm(), first);
    EXPECT_TRUE(second->isVisible());
    EXPECT_EQ(second->txtCameraTitle[1]->text(), "edited"); // not reloaded
}

TEST_F(ConfigLifecycle, ClosedFormIsDestroyedAndReopeningReloadsTheSettings)
{
    QPointer<frmCameraConfig> first = frmCameraConfig::showOrRaise();
    first->txtCameraTitle[1]->setText("edited");
    closeWithCloseBox(first);
    flushDeletes();
    EXPECT_TRUE(first.isNull());

    writeText(2, Value::Title, "Changed outside");
    frmCameraConfig* second = frmCameraConfig::showOrRaise();
    EXPECT_EQ(second->txtCameraTitle[1]->text(), "edited");
    EXPECT_EQ(second->txtCameraTitle[2]->text(), "Changed outside");
}

TEST_F(ConfigLifecycle, ANewFormOpensWhileTheClosedOneAwaitsDeletion)
{
    QPointer<frmCameraConfig> first = frmCameraConfig::showOrRaise();
    closeWithCloseBox(first);
    EXPECT_EQ(frmCameraConfig::openForm(), nullptr);
    frmCameraConfig* second = frmCameraConfig::showOrRaise();
    EXPECT_NE(second, first.data());
    EXPECT_TRUE(second->isVisible());
    flushDeletes();
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(frmCameraConfig::openForm(), second);
}

TEST_F(ConfigLifecycle, IsInTheOpenWindowListOnlyWhileOpen)
{
    frmCameraConfig* form = frmCameraConfig::showOrRaise();
    EXPECT_TRUE(inWindowList(form));
    EXPECT_FALSE(platform::OpenWindowList::instance()
                     .cameraNumber(platform::OpenWindowList::instance().count() - 1)
                     .has_value());
    closeWithCloseBox(form);
    EXPECT_FALSE(inWindowList(form));
}

TEST_F(ConfigLifecycle, ProgramQuitWritesTheFields)
{
    // quit() asks every window to close; exit() only leaves the event loop.
    const std::pair<const char*, void (*)()> ways[] = {
        { "quit", [] { QCoreApplication::quit(); } },
        { "exit", [] { QCoreApplication::exit(0); } },
    };
    for (const auto& [name, end] : ways) {
        SCOPED_TRACE(name);
        frmCameraConfig* form = frmCameraConfig::showOrRaise();
        const std::string address = std::string("192.168.7.") + (name[0] == 'q' ? "1" : "2");
        form->txtIPAddress[0]->setText(QString::fromStdString(address));
        EXPECT_EQ(runEventLoop(end), 0);
        flushDeletes();
        EXPECT_EQ(frmCameraConfig::openForm(), nullptr);
        EXPECT_EQ(readRaw(0, Value::IPAddress)->text(), address);
    }
}

TEST_F(ConfigLifecycle, ClosingTheLastWindowEndsTheProgram)
{
    frmCameraConfig* form = frmCameraConfig::showOrRaise();
    EXPECT_EQ(runEventLoop([form] { closeWithCloseBox(form); }), 0);
}

TEST_F(ConfigLifecycle, KeepsTheProgramRunningAfterTheOtherWindowsClose)
{
    auto* other = new QWidget;
    other->setAttribute(Qt::WA_DeleteOnClose);
    other->show();
    frmCameraConfig* form = frmCameraConfig::showOrRaise();
    form->txtUsername[3]->setText("still here");

    QSignalSpy lastWindowClosed(qApp, &QGuiApplication::lastWindowClosed);
    QObject guard; // drops the queued step should the loop end early
    int closedAfterOther = -1;
    bool formVisibleAfterOther = false;
    const int exitCode = runEventLoop([&] {
        other->close();
        closedAfterOther = lastWindowClosed.count();
        formVisibleAfterOther = form->isVisible();
        QTimer::singleShot(0, &guard, [form] { closeWithCloseBox(form); });
    });
    EXPECT_EQ(closedAfterOther, 0);
    EXPECT_TRUE(formVisibleAfterOther);
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(lastWindowClosed.count(), 1);
    EXPECT_EQ(readRaw(3, Value::Username)->text(), "still here");
}

} // namespace
