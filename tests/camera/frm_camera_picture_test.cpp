// What the camera window offers around its picture: snapshots, the status
// tooltip, the note for an address never set. With the real media control.
#include "app/module1.h"
#include "camera/camera_hand_over.h"
#include "camera/frm_camera.h"
#include "camera/snapshot.h"
#include "platform/media/mjpeg_control.h"
#include "settings/camera_schema.h"
#include "settings/process_state.h"
#include "tests/camera/recording_media_control.h"
#include "tests/support/test_env.h"
#include "tests/support/testcam_process.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QSignalSpy>
#include <QTest>
#include <gmock/gmock.h>

namespace {

using namespace Veskat;
using testing::HasSubstr;

// --- File names and writing ------------------------------------------------------------

struct NameCase {
    const char* name;
    QString title;
    QString base;
};

class SnapshotName : public testing::TestWithParam<NameCase> { };

TEST_P(SnapshotName, IsTheTitleMadeSafeAndTheLocalTime)
{
    const QDateTime time(QDate(2026, 12, 7), QTime(14, 3, 22));
    EXPECT_EQ(camera::snapshotBaseName(GetParam().title, time).toStdString(), GetParam().base.toStdString());
}

INSTANTIATE_TEST_SUITE_P(Titles, SnapshotName,
    testing::Values(NameCase { "plain", "Loading dock", "Loading dock 2026-12-07 14-03-22" },
        NameCase {
            "separators", "Gate 1/2: \"east\" <*?|\\>", "Gate 1_2_ _east_ ______ 2026-12-07 14-03-22" },
        NameCase { "dotsAndBlanks", " ..hidden. ", "hidden 2026-12-07 14-03-22" },
        NameCase { "control", QStringLiteral("a\tb\nc"), "a_b_c 2026-12-07 14-03-22" },
        NameCase { "empty", "", "Camera 2026-12-07 14-03-22" },
        NameCase { "unicode", QStringLiteral("K\u00fche \u2014 Stall"),
            QStringLiteral("K\u00fche \u2014 Stall 2026-12-07 14-03-22") }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SnapshotName, ALongTitleIsCutToFitAFileName)
{
    const QString base = camera::snapshotBaseName(QString(300, QChar(0x00e9)), QDateTime::currentDateTime());
    EXPECT_LE((base + QStringLiteral(" (999).jpg")).toUtf8().size(), 255);
}

TEST(SnapshotFile, NeverReplacesAFileAndNumbersTheNextOne)
{
    const QString folder
        = QString::fromStdString(veskat_test::makeTempDir("snapshots").string()) + "/new/sub";
    const camera::SnapshotResult first = camera::writeSnapshot(folder, "Cam 2026-01-01 00-00-00", "first");
    const camera::SnapshotResult second = camera::writeSnapshot(folder, "Cam 2026-01-01 00-00-00", "second");

    ASSERT_TRUE(first.error.isEmpty()) << first.error.toStdString();
    EXPECT_EQ(QFileInfo(first.path).fileName(), QStringLiteral("Cam 2026-01-01 00-00-00.jpg"));
    EXPECT_EQ(QFileInfo(second.path).fileName(), QStringLiteral("Cam 2026-01-01 00-00-00 (2).jpg"));
    QFile kept(first.path);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("first"));
}

// --- The window ---------------------------------------------------------------------------

class PictureWindowTest : public testing::Test {
protected:
    PictureWindowTest()
        : m_realControl({})
    {
        Module1::SeedSettings();
        Module1::CameraSize = 0;
    }
    ~PictureWindowTest() override
    {
        m_area.closeAllSubWindows();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    frmCamera* open(int index)
    {
        camera::IndexHandOver = static_cast<std::int16_t>(index);
        auto* window = new frmCamera(&m_area);
        m_area.show();
        window->show();
        return window;
    }

    QStringList snapshots() const
    {
        return QDir(QString::fromStdString(m_env.snapshots().string())).entryList(QDir::Files);
    }

    veskat_test::TempEnvironment m_env;
    veskat_test::ScopedMediaFactory m_realControl;
    QMdiArea m_area;
};

TEST_F(PictureWindowTest, AnUnsetAddressSaysWhereToSetOne)
{
    WriteCameraText(1, CameraValue::Title, "Loading dock");
    frmCamera* window = open(1); // the seeded 0.0.0.0

    const std::optional<frmCamera::StatusReport> report = window->statusReport();
    ASSERT_TRUE(report.has_value());
    EXPECT_EQ(report->status, 1025);
    EXPECT_TRUE(report->failing);
    EXPECT_EQ(report->detail, QStringLiteral("No camera address set: File, Configure Cameras"));
    EXPECT_THAT(window->statusToolTip().toStdString(),
        HasSubstr("Status 1025: connection failed or lost; the stream retries by itself every 2 s at most\n"
                  "No camera address set: File, Configure Cameras"));
}

TEST_F(PictureWindowTest, WithoutAPictureNothingIsSavedAndTheMessageSaysSo)
{
    WriteCameraText(0, CameraValue::Title, "Loading dock");
    frmCamera* window = open(0);
    QSignalSpy messages(window, &frmCamera::message);

    window->savePictureAction()->trigger();

    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.at(0).at(0).toString(),
        QStringLiteral("Loading dock has no picture yet: nothing was saved."));
    EXPECT_TRUE(snapshots().isEmpty());
}

TEST_F(PictureWindowTest, CtrlSSavesTheCamerasOwnBytesAndSaysWhere)
{
    veskat_test::TestcamProcess camera(1);
    ASSERT_TRUE(camera.started());
    WriteCameraText(0, CameraValue::IPAddress, camera.hostPort().toStdString());
    WriteCameraText(0, CameraValue::Title, "Yard: north");
    frmCamera* window = open(0);
    auto* control = qobject_cast<media::MjpegControl*>(window->mediaControl());
    ASSERT_NE(control, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return control->pictureJpeg() != nullptr; }, 20000));
    QSignalSpy messages(window, &frmCamera::message);

    m_area.setActiveSubWindow(window);
    // Pictures are only taken over in the event loop, which the key click does not run.
    const std::shared_ptr<const std::string> shown = control->pictureJpeg();
    QTest::keyClick(window, Qt::Key_S, Qt::ControlModifier);

    ASSERT_EQ(snapshots().size(), 1);
    const QString name = snapshots().front();
    EXPECT_TRUE(name.startsWith(QStringLiteral("Yard_ north 20"))) << name.toStdString();
    EXPECT_TRUE(name.endsWith(QStringLiteral(".jpg")));
    QFile saved(QString::fromStdString((m_env.snapshots() / name.toStdString()).string()));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    // The camera's JPEG as it came (640x480 from veskat-testcam), not the drawn tile.
    EXPECT_EQ(saved.readAll().toStdString(), *shown);
    EXPECT_EQ(control->stats().pictureWidth, 640);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_THAT(messages.at(0).at(0).toString().toStdString(), HasSubstr("Picture of Yard: north saved to "));
    EXPECT_THAT(messages.at(0).at(0).toString().toStdString(), HasSubstr(name.toStdString()));
}

} // namespace
