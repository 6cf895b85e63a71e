// A fresh stand-in host with the module attached (its language loader reaches the
// module's strings through it) and every printer slot without an error.
#pragma once

#include <gtest/gtest.h>
#include <nyhost/nyhost_control.h>

#include <cstring>

#include "core/slots.h"
#include "driver/module_entry.h"

namespace nypr::testing {

class ErrorFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    nyhostReset();
    moduleAttach();
    std::memset(stKtRSE, 0, sizeof stKtRSE);
    for (PrinterSlot& slot : stKtRSE) slot.dwLastError = slot.dwError = kNoError;
  }
};

}  // namespace nypr::testing
