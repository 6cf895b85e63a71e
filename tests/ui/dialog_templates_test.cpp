// The dialog templates against what the dialogs need of them.
#include "resources/dialog_templates.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <string>

#include "platform/text.h"
#include "test_data.h"

namespace nypr {
namespace {

using platform::ControlKind;
using platform::ControlTemplate;
using platform::DialogTemplate;

const ControlTemplate* control(const DialogTemplate& t, int id) {
  for (const ControlTemplate& c : t.controls) {
    if (c.id == id) return &c;
  }
  return nullptr;
}

TEST(DialogTemplates, EveryDialogIsThereWithItsTitle) {
  const auto titles = testing::readTestTable("dialogs/titles.txt");
  EXPECT_EQ(titles.size(), 11u);
  for (const auto& row : titles) {
    ASSERT_EQ(row.size(), 2u);
    const DialogTemplate* t = findDialogTemplate(row[0].c_str());
    ASSERT_NE(t, nullptr) << row[0];
    EXPECT_EQ(t->title, row[1]);
  }
  ASSERT_NE(findDialogTemplate("DIALOG_WAIT_FINISH"), nullptr);
  EXPECT_EQ(findDialogTemplate("DIALOG_KT3600R"), findDialogTemplate("DIALOG_KT36R"));
  EXPECT_EQ(findDialogTemplate("DIALOG_kt36r"), nullptr);
  EXPECT_EQ(dialogTemplates().size(), 12u);
  // Every button of the high-level radio groups (the dialog tests tick only some of them).
  const DialogTemplate* highLevel = findDialogTemplate("DIALOG_HIGHLEVEL");
  for (int id = 6930; id <= 6941; ++id) EXPECT_NE(control(*highLevel, id), nullptr) << id;
}

TEST(DialogTemplates, IdsAreUniqueControlsFitAndTextsSurviveCp932) {
  for (const DialogTemplate& t : dialogTemplates()) {
    SCOPED_TRACE(t.name);
    std::set<int> ids;
    EXPECT_EQ(platform::utf8FromCp932(templateTextCp932(t.title)), t.title);
    for (const ControlTemplate& c : t.controls) {
      if (c.id != platform::kStaticId) {
        EXPECT_TRUE(ids.insert(c.id).second) << c.id;
      }
      EXPECT_GE(c.x, 0);
      EXPECT_GE(c.y, 0);
      EXPECT_LE(c.x + c.cx, t.cx) << c.id << " " << c.text;
      if (c.kind != ControlKind::ComboBox) {  // a combo's height includes its drop-down
        EXPECT_LE(c.y + c.cy, t.cy) << c.id << " " << c.text;
      }
      // Every character has a CP932 form (nothing becomes "?").
      EXPECT_EQ(platform::utf8FromCp932(templateTextCp932(c.text)), c.text) << c.id;
    }
  }
}

// Kind and flags of a control as the data file names them.
ControlKind kindNamed(const std::string& name) {
  using enum ControlKind;
  const std::pair<const char*, ControlKind> kinds[] = {
      {"Button", Button},     {"CheckBox", CheckBox}, {"Radio", Radio},
      {"Edit", Edit},         {"Static", Static},     {"GroupBox", GroupBox},
      {"ComboBox", ComboBox}, {"ListView", ListView}, {"IpAddress", IpAddress}};
  for (const auto& [n, kind] : kinds) {
    if (name == n) return kind;
  }
  ADD_FAILURE() << "unknown control kind " << name;
  return Button;
}

uint32_t flagsNamed(const std::string& names) {
  using namespace platform;
  const std::pair<const char*, uint32_t> flags[] = {{"kDisabled", kDisabled},
                                                    {"kHidden", kHidden},
                                                    {"kReadOnly", kReadOnly},
                                                    {"kNumber", kNumber},
                                                    {"kDefault", kDefault},
                                                    {"kGroup", kGroup},
                                                    {"kSingleSel", kSingleSel},
                                                    {"kShowSelAlways", kShowSelAlways},
                                                    {"kNoSortHeader", kNoSortHeader},
                                                    {"kMultiLine", kMultiLine},
                                                    {"kRight", kRight}};
  uint32_t value = 0;
  std::istringstream in(names);
  for (std::string name; std::getline(in, name, '|');) {
    if (name == "0") continue;
    const auto* f = std::find_if(std::begin(flags), std::end(flags),
                                 [&](const auto& e) { return name == e.first; });
    if (f == std::end(flags))
      ADD_FAILURE() << "unknown flag " << name;
    else
      value |= f->second;
  }
  return value;
}

TEST(DialogTemplates, ControlsTheDialogsAddress) {
  const auto rows = testing::readTestTable("dialogs/controls.txt");
  EXPECT_EQ(rows.size(), 42u);
  for (const auto& row : rows) {
    ASSERT_EQ(row.size(), 5u) << row[0];
    SCOPED_TRACE(row[0] + " " + row[1]);
    const DialogTemplate* t = findDialogTemplate(row[0].c_str());
    ASSERT_NE(t, nullptr);
    const ControlTemplate* c = control(*t, std::stoi(row[1]));
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->kind, kindNamed(row[2]));
    EXPECT_EQ(c->flags, flagsNamed(row[3]));
    EXPECT_EQ(c->text, row[4]);
  }
}

}  // namespace
}  // namespace nypr
