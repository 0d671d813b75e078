// The frame of the tray program's tests: the hook stopped, no bindings and no settings key.
#pragma once

#include <gtest/gtest.h>

#include "Harness.h"
#include "TrayHarness.h"

struct TrayTest : ::testing::Test {
    void SetUp() override { TearDown(); }
    void TearDown() override
    {
        WindowManagerStop();
        harness::ResetSharedSettings();
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tenvale\\Hovelle");
    }
};
