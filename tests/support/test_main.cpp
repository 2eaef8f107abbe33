// SPDX-License-Identifier: GPL-2.0-or-later
// main() of the Qt-free test binaries: a process-wide temporary store and
// drive C: so that a test that forgets its own never touches the user's.
#include "tests/support/test_env.h"

#include <gmock/gmock.h>

int main(int argc, char** argv)
{
    testing::InitGoogleMock(&argc, argv);
    veskat_test::TempEnvironment env;
    return RUN_ALL_TESTS();
}
