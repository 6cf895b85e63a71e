// A host INI file of its own for each test (tests/support), with the printer slots and
// parameter records back at their load-time zero state.
#pragma once

#include <cstring>

#include "core/slots.h"
#include "host_fixture.h"
#include "settings/printer_settings.h"

namespace nypr::testing {

class SettingsFixture : public test::HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    std::memset(stKtRSE, 0, sizeof stKtRSE);
    std::memset(PrinterSettings, 0, sizeof PrinterSettings);
  }
};

}  // namespace nypr::testing
