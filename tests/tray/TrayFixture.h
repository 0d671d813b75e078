// The common frame of the tray program's tests: a clean hook library and no
// settings key before each test, nothing left behind after it.
#pragma once

#include <gtest/gtest.h>

#include "Harness.h"
#include "TrayHarness.h"

class TrayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WindowManagerStop();
        harness::ResetSharedSettings();
        harness::DeleteHovelleKey();
    }
    void TearDown() override
    {
        harness::DeleteHovelleKey();
        WindowManagerStop();
    }
};
