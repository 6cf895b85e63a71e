// Loading the module registers it with the host, as process attach does.
#include <gtest/gtest.h>

#include <string>

#include "nyhost/nyhost_control.h"
#include "nyprkt3600r/module_resources.h"
#include "nyprkt3600r/nyprkt3600r.h"

TEST(ModuleLoad, RegistersWithTheHostAsKT3600R) {
  EXPECT_STREQ(nyhostRegisteredModel(), "KT3600R");
  EXPECT_EQ(nyhostRegisterCount(), 1);  // one start-up per load
  // The module handle gives the host the driver's string table.
  auto* res = static_cast<const NyModuleResources*>(nyhostRegisteredModule());
  ASSERT_NE(res, nullptr);
  ASSERT_EQ(res->magic, NY_MODULE_RESOURCES_MAGIC);
  char text[16];
  EXPECT_GT(res->loadString(60014, text, sizeof text), 0);  // caption of error boxes
  EXPECT_EQ(res->loadString(59999, text, sizeof text), 0);
}
