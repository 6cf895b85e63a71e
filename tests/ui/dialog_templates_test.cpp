// The dialog templates against what the dialogs need of them.
#include "resources/dialog_templates.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "platform/text.h"

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
  const std::pair<const char*, const char*> expected[] = {
      {"DIALOG_SEARCHKT_LIST", "LANのKT一覧"},
      {"DIALOG_KT36R", "プリンターKT-3600Rの設定"},
      {"DIALOG_MAINTENANCE", "メンテナンス用パラメータの設定"},
      {"DIALOG_HIGHLEVEL", "高度な設定"},
      {"DIALOG_SENSOR", "KT3600Rｾﾝｻｰ感度・ｶｯﾄの調整"},
      {"DIALOG_DISPLAY", "プリンターステータス表示・テスト"},
      {"DIALOG_KT36R_IP", "KT36R IPｱﾄﾞﾚｽ設定"},
      {"DIALOG_KT36R_TEST", "KT-36R各種ﾃｽﾄ"},
      {"DIALOG_KT36R_TESTPRT", "KT36R印字ﾃｽﾄ"},
      {"DIALOG_MOTO_TEST", "ﾊｰﾄﾞｳｪｱﾃｽﾄ"},
      {"DIALOG_HEAD_EXPIRE", "ﾍｯﾄﾞ切れﾁｪｯｸ"},
  };
  for (const auto& [name, title] : expected) {
    const DialogTemplate* t = findDialogTemplate(name);
    ASSERT_NE(t, nullptr) << name;
    EXPECT_STREQ(t->title, title);
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

struct Expected {
  const char* dialog;
  int id;
  ControlKind kind;
  const char* text;
  uint32_t flags;
};

TEST(DialogTemplates, ControlsTheDialogsAddress) {
  using enum ControlKind;
  using namespace platform;
  const Expected expected[] = {
      {"DIALOG_WAIT_FINISH", 1, Button, "停止", kDefault},
      {"DIALOG_WAIT_FINISH", 2, Button, "閉じる", kDisabled},
      {"DIALOG_WAIT_FINISH", 6926, Static, "", kMultiLine},
      {"DIALOG_WAIT_FINISH", 6927, Static, "", 0},
      {"DIALOG_SEARCHKT_LIST", 1, Button, "選択", kDefault},
      {"DIALOG_SEARCHKT_LIST", 2, Button, "ｷｬﾝｾﾙ", 0},
      {"DIALOG_SEARCHKT_LIST", 1038, ListView, "", kSingleSel | kShowSelAlways | kNoSortHeader},
      {"DIALOG_KT36R", 6101, IpAddress, "", 0},
      {"DIALOG_KT36R", 6308, Static, "8", kRight},
      {"DIALOG_KT36R", 6312, Static, "150", kRight},
      {"DIALOG_KT36R", 6941, CheckBox, "自動接続", kHidden | kDisabled},
      {"DIALOG_KT36R", 1038, Button, "KT検索", 0},
      {"DIALOG_KT36R", 9, Button, "ﾍﾙﾌﾟ", 0},
      {"DIALOG_MAINTENANCE", 6703, Edit, "", kDisabled},
      {"DIALOG_MAINTENANCE", 6712, Edit, "", kDisabled},
      {"DIALOG_MAINTENANCE", 6777, Edit, "", kReadOnly},
      {"DIALOG_MAINTENANCE", 6925, Edit, "", kHidden},
      {"DIALOG_MAINTENANCE", 6032, Radio, "ﾊﾞｰｺｰﾄﾞの部分のみ", kHidden},
      {"DIALOG_MAINTENANCE", 6708, CheckBox, "履歴制御", 0},
      {"DIALOG_MAINTENANCE", 6804, ComboBox, "", 0},
      {"DIALOG_MAINTENANCE", 6220, Button, "KTﾊﾞｰｼﾞｮﾝｱｯﾌﾟ", 0},
      {"DIALOG_HIGHLEVEL", 6607, Edit, "", kReadOnly},
      {"DIALOG_HIGHLEVEL", 6090, CheckBox, "外部巻取りの強制発行", kGroup},
      {"DIALOG_HIGHLEVEL", 6934, Radio, "180ms", 0},
      {"DIALOG_HIGHLEVEL", 6941, Radio, "あり", 0},
      {"DIALOG_HIGHLEVEL", 6015, Button, "走行距離をｸﾘｱ", 0},
      {"DIALOG_SENSOR", 6505, Radio, "自動", 0},
      {"DIALOG_SENSOR", 6601, Edit, "", kReadOnly},
      {"DIALOG_SENSOR", 6703, Edit, "", 0},
      {"DIALOG_SENSOR", 6068, Button, "位置初期化", 0},
      {"DIALOG_DISPLAY", 6601, Edit, "", kNumber},
      {"DIALOG_DISPLAY", 6620, Button, "警告距離をｾｯﾄ", 0},
      {"DIALOG_DISPLAY", 6073, Button, "動作回数初期化", 0},
      {"DIALOG_KT36R_IP", 6218, Edit, "", kReadOnly},
      {"DIALOG_KT36R_IP", 6204, IpAddress, "", 0},
      {"DIALOG_KT36R_TEST", 6206, ComboBox, "", 0},
      {"DIALOG_KT36R_TEST", 6211, Static, "ﾒﾓﾘﾁｪｯｸ正常容量：", 0},
      {"DIALOG_KT36R_TESTPRT", 6086, Radio, "通常発行", kGroup | kDisabled},
      {"DIALOG_KT36R_TESTPRT", 6088, Radio, "2秒間隔で連続発行", kHidden | kDisabled},
      {"DIALOG_KT36R_TESTPRT", 6096, Button, "中止", 0},
      {"DIALOG_MOTO_TEST", 2, Button, "終了", 0},
      {"DIALOG_HEAD_EXPIRE", 6928, Static, "ﾁｪｯｸ位置は1から960までに設定してください", 0},
  };
  for (const Expected& e : expected) {
    SCOPED_TRACE(std::string(e.dialog) + " " + std::to_string(e.id));
    const DialogTemplate* t = findDialogTemplate(e.dialog);
    ASSERT_NE(t, nullptr);
    const ControlTemplate* c = control(*t, e.id);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->kind, e.kind);
    EXPECT_STREQ(c->text, e.text);
    EXPECT_EQ(c->flags & ~kWindowLookFlags, e.flags);
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

// Every text of a label, button, check box, radio button and frame fits its control in the
// dialog font, whose cells are fixed: a half-width character (one CP932 byte) is 4 dialog
// units wide and a full-width one 8. Buttons keep a margin on each side, check boxes and
// radio buttons room for their box.
TEST(DialogTemplates, TextsFitTheirControlsInTheDialogFont) {
  using enum ControlKind;
  for (const DialogTemplate& t : dialogTemplates()) {
    for (const ControlTemplate& c : t.controls) {
      int extra = 0;
      switch (c.kind) {
        case Button:
          extra = 8;
          break;
        case CheckBox:
        case Radio:
        case GroupBox:
          extra = 14;
          break;
        case Static:
          break;
        default:
          continue;
      }
      const std::string text = templateTextCp932(c.text);
      int lines = 0;
      size_t widest = 0;
      size_t start = 0;
      while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        widest = std::max(widest, end - start);
        start = end + 1;
        ++lines;
      }
      // A multi-line label without line breaks wraps its text over the lines it has room
      // for (8 units each), losing at most one full-width character at each break.
      const int wraps = (c.flags & platform::kMultiLine) != 0 && lines == 1 ? c.cy / 8 : 1;
      EXPECT_LE(static_cast<int>(widest) * 4 + extra, c.cx * wraps - 8 * (wraps - 1))
          << t.name << " " << c.id << " " << c.text;
    }
  }
}

}  // namespace
}  // namespace nypr
