#include "camera/qt_pause.h"

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
    camera::PauseSeconds(0.2f);
    EXPECT_EQ(fired, 2);
}

} // namespace
