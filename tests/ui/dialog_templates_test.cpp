// The dialog templates against what the dialogs need of them.
#include "resources/dialog_templates.h"

#include <gtest/gtest.h>

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

// The value a data file names, from a table of names and values.
template <typename T, size_t N>
T named(const std::pair<const char*, T> (&table)[N], const std::string& name) {
  for (const auto& [n, value] : table) {
    if (name == n) return value;
  }
  ADD_FAILURE() << "unknown name " << name;
  return table[0].second;
}

// Kind and flags of a control as the data file names them.
ControlKind kindNamed(const std::string& name) {
  using enum ControlKind;
  const std::pair<const char*, ControlKind> kinds[] = {
      {"Button", Button},     {"CheckBox", CheckBox}, {"Radio", Radio},
      {"Edit", Edit},         {"Static", Static},     {"GroupBox", GroupBox},
      {"ComboBox", ComboBox}, {"ListView", ListView}, {"IpAddress", IpAddress}};
  return named(kinds, name);
}

uint32_t flagsNamed(const std::string& names) {
  using namespace platform;
  const std::pair<const char*, uint32_t> flags[] = {{"0", 0u},
                                                    {"kDisabled", kDisabled},
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
  for (std::string name; std::getline(in, name, '|');) value |= named(flags, name);
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
    EXPECT_EQ(c->flags & ~platform::kWindowLookFlags, flagsNamed(row[3]));
    EXPECT_EQ(c->text, row[4]);
  }
}

// What the real windows need of the data: keyboard reach, edits that scroll, pick-only
// combo boxes, report lists, and radio groups closed by the next control.
TEST(DialogTemplates, ControlsCarryTheirWindowStyles) {
  using enum ControlKind;
  using namespace platform;
  for (const DialogTemplate& t : dialogTemplates()) {
    bool inRadioGroup = false;
    for (const ControlTemplate& c : t.controls) {
      SCOPED_TRACE(std::string(t.name) + " " + std::to_string(c.id) + " " + c.text);
      const bool tabStop = (c.flags & kTabStop) != 0;
      switch (c.kind) {
        case Radio:
          EXPECT_EQ(tabStop, !inRadioGroup || (c.flags & kGroup) != 0);
          if (!inRadioGroup) {
            EXPECT_NE(c.flags & kGroup, 0u);
          }
          break;
        case Static:
        case GroupBox:
          EXPECT_FALSE(tabStop);
          break;
        default:
          EXPECT_TRUE(tabStop);
      }
      if (inRadioGroup && c.kind != Radio) {
        EXPECT_NE(c.flags & kGroup, 0u);
      }
      inRadioGroup = c.kind == Radio;
      EXPECT_EQ((c.flags & kAutoHScroll) != 0, c.kind == Edit && (c.flags & kMultiLine) == 0);
      EXPECT_EQ((c.flags & kDropDownList) != 0, c.kind == ComboBox);
      EXPECT_EQ((c.flags & kReport) != 0, c.kind == ListView);
    }
  }
}

}  // namespace
}  // namespace nypr
