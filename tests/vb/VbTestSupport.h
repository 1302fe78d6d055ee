// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <gtest/gtest.h>

#include <QLocale>
#include <functional>

#include "vb/VbError.h"

// Runs each test in a fixed locale (US English unless the test says
// otherwise) and puts the system locale back afterwards.
class LocaleTest : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
};

// The VB error number raised by f, 0 when it raises none.
inline int ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const vb::VbError& e) {
        return e.number();
    }
    return 0;
}
