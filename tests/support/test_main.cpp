// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>

#include "TestEnv.h"

int main(int argc, char** argv) {
    testenv::setUpProcess();
    ::testing::InitGoogleTest(&argc, argv);
    int rc = 0;
    {
        QApplication app(argc, argv);
        rc = RUN_ALL_TESTS();
    }
    if (!qEnvironmentVariableIsSet("VAULTORA_KEEP_TEST_DIR"))
        QDir(testenv::root()).removeRecursively();
    return rc;
}
