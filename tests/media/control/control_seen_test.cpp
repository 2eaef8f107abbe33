// SPDX-License-Identifier: GPL-2.0-or-later
// Nothing is decoded that nobody sees: a hidden control, one in a minimised
// window and one wholly covered by another widget keep their stream and
// status but decode nothing, and draw again once seen. A seen control
// decodes no more pictures than it paints, however fast they come.
#include "tests/media/control/control_fixture.h"
#include "tests/media/control/loopback_servers.h"
#include "tests/media/control/test_pictures.h"
#include "tests/support/testcam_process.h"

#include <QWidget>
#include <gtest/gtest.h>

#include <memory>

namespace {

using media_test::configure;
using media_test::kDeadlineMs;
using media_test::statusOf;
using media_test::waitForStatus;
using veskat_test::TestcamProcess;

const QStringList kSmallCamera { "--size", "320x240", "--fps", "25" };

bool waitForStats(
    const media::MjpegControl& control, const std::function<bool(const media::MediaStats&)>& done)
{
    return QTest::qWaitFor([&] { return done(control.stats()); }, kDeadlineMs);
}

void startAndWaitForPictures(media::MjpegControl& control, const QString& url)
{
    configure(control, url);
    control.invoke(media::DispId::Start);
    ASSERT_TRUE(waitForStatus(control, media::Status::Playing)) << statusOf(control);
    ASSERT_TRUE(waitForStats(control, [](const media::MediaStats& s) { return s.drawn >= 2; }));
}

// Once the control counts parts as unseen (a decode under way may still
// land before), ten more parts arrive and none of them is decoded, while the
// stream still plays.
void expectDecodesNothing(const media::MjpegControl& control)
{
    ASSERT_TRUE(waitForStats(control, [](const media::MediaStats& s) { return s.unseen >= 2; }));
    const media::MediaStats before = control.stats();
    ASSERT_TRUE(waitForStats(
        control, [&](const media::MediaStats& s) { return s.received >= before.received + 10; }));
    const media::MediaStats after = control.stats();
    EXPECT_EQ(after.decoded, before.decoded);
    EXPECT_EQ(after.drawn, before.drawn);
    EXPECT_GE(after.unseen, before.unseen + 10);
    EXPECT_EQ(statusOf(control), media::Status::Playing);
}

void expectDrawsAgain(const media::MjpegControl& control)
{
    const std::uint64_t drawn = control.stats().drawn;
    EXPECT_TRUE(waitForStats(control, [&](const media::MediaStats& s) { return s.drawn >= drawn + 3; }));
}

media::MjpegControl* childControl(QWidget& parent)
{
    return dynamic_cast<media::MjpegControl*>(media::createMediaControl(&parent));
}

TEST(SeenOnScreen, AHiddenControlKeepsPlayingAndDecodesNothingUntilShown)
{
    TestcamProcess camera(1, kSmallCamera);
    ASSERT_TRUE(camera.started());
    auto control = media_test::makeControl();
    ASSERT_TRUE(control);
    startAndWaitForPictures(*control, camera.url());

    control->hide();
    expectDecodesNothing(*control);

    control->show();
    expectDrawsAgain(*control);
}

TEST(SeenOnScreen, AControlStartedHiddenDecodesOnePictureToKnowTheStreamPlays)
{
    TestcamProcess camera(1, kSmallCamera);
    ASSERT_TRUE(camera.started());
    std::unique_ptr<media::MjpegControl> control(
        dynamic_cast<media::MjpegControl*>(media::createMediaControl(nullptr)));
    ASSERT_TRUE(control);
    control->resize(254, 213);
    configure(*control, camera.url());
    control->invoke(media::DispId::Start);
    ASSERT_TRUE(waitForStatus(*control, media::Status::Playing)) << statusOf(*control);
    ASSERT_TRUE(waitForStats(*control, [](const media::MediaStats& s) { return s.received >= 12; }));
    EXPECT_EQ(control->stats().decoded, 1u);
    EXPECT_EQ(control->stats().drawn, 0u);

    control->show();
    expectDrawsAgain(*control);
}

TEST(SeenOnScreen, AMinimisedWindowDecodesNothingUntilRestored)
{
    TestcamProcess camera(1, kSmallCamera);
    ASSERT_TRUE(camera.started());
    QWidget window;
    window.resize(300, 250);
    media::MjpegControl* control = childControl(window);
    ASSERT_TRUE(control);
    control->setGeometry(10, 10, 254, 213);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    startAndWaitForPictures(*control, camera.url());

    window.showMinimized();
    expectDecodesNothing(*control);

    window.showNormal();
    expectDrawsAgain(*control);
}

TEST(SeenOnScreen, AWhollyCoveredControlDecodesNothingAndAPartlyCoveredOneDraws)
{
    TestcamProcess camera(1, kSmallCamera);
    ASSERT_TRUE(camera.started());
    QWidget window;
    window.resize(400, 300);
    media::MjpegControl* control = childControl(window);
    ASSERT_TRUE(control);
    control->setGeometry(0, 0, 254, 213);
    // Made after the control, so stacked above it.
    auto* cover = new QWidget(&window);
    cover->setAutoFillBackground(true);
    cover->setGeometry(0, 0, 300, 250);
    cover->hide();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    startAndWaitForPictures(*control, camera.url());

    cover->show();
    expectDecodesNothing(*control);

    cover->move(1, 0); // only the control's first column shows
    expectDrawsAgain(*control);
}

TEST(SeenOnScreen, AFloodOfPartsIsDecodedNoFasterThanItCanBePainted)
{
    media_test::LoopbackServer server(media_test::LoopbackServer::Behaviour::FloodJpegParts,
        QByteArray::fromStdString(media_test::solidJpeg(16, 16, 10, 200, 10)));
    ASSERT_TRUE(server.listening());
    auto control = media_test::makeControl();
    ASSERT_TRUE(control);
    startAndWaitForPictures(*control, server.url());
    ASSERT_TRUE(waitForStats(*control, [](const media::MediaStats& s) { return s.received >= 800; }));

    const media::MediaStats stats = control->stats();
    // One decoded picture may wait to be taken, and one be under way; a
    // picture taken is painted unless a slow paint lets the next one in.
    EXPECT_LE(stats.decoded, stats.drawn + stats.droppedBeforeDraw + 2) << "received " << stats.received;
    EXPECT_LE(stats.decoded, 2 * stats.drawn + 2) << "dropped before paint " << stats.droppedBeforeDraw;
    EXPECT_LT(stats.decoded * 4, stats.received);
}

} // namespace
