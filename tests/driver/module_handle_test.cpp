// On POSIX the module handle the driver registers gives the host its string table.
#include <gtest/gtest.h>

#include "nyhost/nyhost_control.h"
#include "nyprkt3600r/module_resources.h"

TEST(ModuleLoad, HandleGivesTheHostTheStringTable) {
  auto* res = static_cast<const NyModuleResources*>(nyhostRegisteredModule());
  ASSERT_NE(res, nullptr);
  ASSERT_EQ(res->magic, NY_MODULE_RESOURCES_MAGIC);
  char text[16];
  EXPECT_GT(res->loadString(60014, text, sizeof text), 0);  // caption of error boxes
  EXPECT_EQ(res->loadString(59999, text, sizeof text), 0);
}
