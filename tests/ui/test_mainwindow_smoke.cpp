// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "ui/frmMain_BackUp.h"

TEST(MainWindowSmoke, Builds) {
    frmMain_BackUp w;
    EXPECT_EQ(fMainForm, &w);
}
