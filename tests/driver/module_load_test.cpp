// Loading the module registers it with the host, once, as process attach does.
#include <gtest/gtest.h>

#include "nyhost/nyhost_control.h"
#include "nyprkt3600r/nyprkt3600r.h"

TEST(ModuleLoad, RegistersWithTheHostOnceAsKT3600R) {
  EXPECT_STREQ(nyhostRegisteredModel(), "KT3600R");
  EXPECT_EQ(nyhostRegisterCount(), 1);
  EXPECT_NE(nyhostRegisteredModule(), nullptr);
}
