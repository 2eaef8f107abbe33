// SPDX-License-Identifier: GPL-2.0-or-later
// main() of the GUI test binaries: a QApplication on the offscreen platform
// (unless the caller chose another) and a process-wide temporary store.
#include "media/control/media_engine.h"
#include "tests/support/test_env.h"

#include <QApplication>
#include <gmock/gmock.h>

int main(int argc, char** argv)
{
    if (!veskat_test::getEnv("QT_QPA_PLATFORM"))
        veskat_test::setEnv("QT_QPA_PLATFORM", "offscreen");
    testing::InitGoogleMock(&argc, argv);
    veskat_test::TempEnvironment env;
    QApplication app(argc, argv);
    // The decode threads draw with Qt: they stop before the application goes.
    media::MediaEngineShutdown engineShutdown;
    return RUN_ALL_TESTS();
}
