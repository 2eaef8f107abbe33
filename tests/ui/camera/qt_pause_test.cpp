// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/camera/qt_pause.h"

#include "core/clock/clock.h"
#include "core/util/pause_seconds.h"

#include <QCoreApplication>
#include <QTimer>
#include <gmock/gmock.h>

namespace {

TEST(QtPause, ZeroReturnsWithoutDispatching)
{
    bool fired = false;
    QObject context;
    QTimer::singleShot(0, &context, [&] { fired = true; });
    camera::PauseSeconds(0);
    camera::PauseSeconds(-1);
    EXPECT_FALSE(fired);
    QCoreApplication::processEvents();
    EXPECT_TRUE(fired);
}

TEST(QtPause, DispatchesEventsWhileItWaits)
{
    int fired = 0;
    QObject context;
    QTimer::singleShot(0, &context, [&] { ++fired; });
    QMetaObject::invokeMethod(
        &context, [&] { ++fired; }, Qt::QueuedConnection);
    // An event that arrives in the middle of the wait is dispatched then.
    QTimer::singleShot(100, &context, [&] { ++fired; });
    camera::PauseSeconds(0.3f);
    EXPECT_EQ(fired, 3);
}

TEST(QtPause, SleepsBetweenEventsInsteadOfSpinning)
{
    // With nothing to dispatch each round sleeps until the deadline or the
    // next event: a few rounds for a quiet 0.3 s, where polling made
    // hundreds of thousands.
    QObject context;
    QTimer ticker;
    ticker.start(50);
    int rounds = 0;
    Veskat::PauseSeconds(0.3f, &platform::secondsSinceMidnight, [&](float secondsLeft) {
        ++rounds;
        camera::DoEventsWaiting(secondsLeft);
    });
    EXPECT_GE(rounds, 2);
    EXPECT_LE(rounds, 30);
}

} // namespace
