// SPDX-License-Identifier: GPL-2.0-or-later
// What the camera window offers around its picture, with the real media
// control: snapshots, the status tooltip, the note for an address never set.
#include "core/seeding/module1.h"
#include "core/settings/camera_schema.h"
#include "core/settings/process_state.h"
#include "media/control/mjpeg_control.h"
#include "tests/support/test_env.h"
#include "tests/support/testcam_process.h"
#include "tests/ui/camera/recording_media_control.h"
#include "ui/camera/frm_camera.h"
#include "ui/camera/snapshot.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QMdiArea>
#include <QSignalSpy>
#include <QTest>
#include <gmock/gmock.h>

namespace {

using namespace Veskat;
using testing::HasSubstr;

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
        NameCase { "unsafe", "Gate 1/2:\t\"east\" <*?|\\>", "Gate 1_2___east_ ______ 2026-12-07 14-03-22" },
        NameCase { "dotsAndBlanks", " ..hidden. ", "hidden 2026-12-07 14-03-22" },
        NameCase { "empty", "", "Camera 2026-12-07 14-03-22" },
        NameCase { "unicode", QStringLiteral("K\u00fche"), QStringLiteral("K\u00fche 2026-12-07 14-03-22") }),
    [](const auto& info) { return std::string(info.param.name); });

// A million characters (the old cut took minutes: the test's timeout catches that).
TEST(SnapshotName, AMillionCharacterTitleIsCutToWholeCharactersThatFitAFileName)
{
    const qsizetype million = 1000000;
    const QString smile = QStringLiteral("\U0001F600"); // 4 bytes in UTF-8, a surrogate pair
    const std::pair<QString, QString> cases[] = {
        { QString(million, QLatin1Char('a')), QString(180, QLatin1Char('a')) },
        { QString(million, QChar(0x00e9)), QString(90, QChar(0x00e9)) },
        { smile.repeated(million / 2), smile.repeated(45) },
        { QStringLiteral(". ").repeated(million / 2) + QStringLiteral("x"), QStringLiteral("x") },
    };
    const QDateTime time(QDate(2026, 12, 7), QTime(14, 3, 22));
    for (const auto& [title, kept] : cases) {
        const QString base = camera::snapshotBaseName(title, time);
        EXPECT_EQ(base, kept + QStringLiteral(" 2026-12-07 14-03-22")) << base.left(8).toStdString();
        EXPECT_LE((base + QStringLiteral(" (999).jpg")).toUtf8().size(), 255);
    }
}

TEST(SnapshotFile, NeverReplacesAFileAndNumbersTheNextOne)
{
    const QString folder = camera::snapshotFolder() + QStringLiteral("/numbering/new");
    const camera::SnapshotResult first = camera::writeSnapshot(folder, "Cam", "first");
    const camera::SnapshotResult second = camera::writeSnapshot(folder, "Cam", "second");

    ASSERT_TRUE(first.error.isEmpty()) << first.error.toStdString();
    EXPECT_EQ(QFileInfo(first.path).fileName(), QStringLiteral("Cam.jpg"));
    EXPECT_EQ(QFileInfo(second.path).fileName(), QStringLiteral("Cam (2).jpg"));
    QFile kept(first.path);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("first"));
}

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

    frmCamera* open(int index, const std::string& title)
    {
        WriteCameraText(index, CameraValue::Title, title);
        auto* window = new frmCamera(static_cast<std::int16_t>(index), &m_area);
        m_area.show();
        m_area.setActiveSubWindow(window);
        m_messages = std::make_unique<QSignalSpy>(window, &frmCamera::message);
        return window;
    }

    QStringList snapshots() const { return QDir(snapshotDir()).entryList(QDir::Files); }
    QString snapshotDir() const { return QString::fromStdString(m_env.snapshots().string()); }
    QString message() const
    {
        return m_messages->isEmpty() ? QString() : m_messages->last().at(0).toString();
    }

    veskat_test::TempEnvironment m_env;
    veskat_test::ScopedMediaFactory m_realControl;
    QMdiArea m_area;
    std::unique_ptr<QSignalSpy> m_messages;
};

TEST_F(PictureWindowTest, AnUnsetAddressSaysWhereToSetOneAndHasNoPictureToSave)
{
    frmCamera* window = open(1, "Loading dock"); // the seeded 0.0.0.0: failed at once, never connected

    const std::optional<frmCamera::StatusReport> report = window->statusReport();
    ASSERT_TRUE(report.has_value());
    EXPECT_EQ(report->status, 1025);
    EXPECT_TRUE(report->failing);
    EXPECT_EQ(window->statusToolTip().toStdString(),
        "Status 1025: connection failed or lost; the stream retries by itself every 2 s at most\n"
        "No camera address set: File, Configure Cameras\n"
        "The window restarts the stream at its next check (every 30 s).");

    window->savePictureAction()->trigger();
    EXPECT_EQ(message(), QStringLiteral("Loading dock has no picture yet: nothing was saved."));
    EXPECT_TRUE(snapshots().isEmpty());
}

TEST_F(PictureWindowTest, CtrlSSavesTheCamerasOwnBytesAndSaysWhere)
{
    veskat_test::TestcamProcess camera(1);
    ASSERT_TRUE(camera.started());
    WriteCameraText(0, CameraValue::IPAddress, camera.hostPort().toStdString());
    frmCamera* window = open(0, "Yard: north");
    auto* control = qobject_cast<media::MjpegControl*>(window->mediaControl());
    ASSERT_TRUE(QTest::qWaitFor([&] { return control->pictureJpeg() != nullptr; }, 20000));
    // Pictures are only taken over in the event loop, which the key click does not run.
    const std::shared_ptr<const std::string> shown = control->pictureJpeg();

    QTest::keyClick(window, Qt::Key_S, Qt::ControlModifier);

    ASSERT_EQ(snapshots().size(), 1);
    const QString name = snapshots().front();
    EXPECT_TRUE(name.startsWith("Yard_ north 20") && name.endsWith(".jpg")) << name.toStdString();
    QFile saved(QDir(snapshotDir()).filePath(name));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll().toStdString(), *shown); // 640x480 as sent, not the drawn tile
    EXPECT_THAT(message().toStdString(), HasSubstr("Picture of Yard: north saved to "));
    EXPECT_THAT(message().toStdString(), HasSubstr(name.toStdString()));
}

} // namespace
