// The status display against the simulated printer: live status, run distances and
// their reconciliation with the distance recorded in the INI file.
#include <deque>
#include <string>
#include <vector>

#include "nyhost/nyhost_control.h"
#include "platform/text.h"
#include "printer_dialog.h"
#include "resources/strings.h"
#include "status/error_text.h"
#include "test_data.h"
#include "ui/dialog_procs.h"

namespace nypr::test {
namespace {

using platform::OperatedDialog;
using platform::utf8FromCp932;
using testing::messageText;

constexpr char kInfo[] = "KT3600R Info";

// An LRS read request as it goes out: mode 0, distance field "001", no body distance.
constexpr char kReadRequest[] = "2S200LRS00010000000000";

class DisplayDialogTest : public PrinterDialogTest {
 protected:
  void SetUp() override {
    PrinterDialogTest::SetUp();
    sim_.setCutPosition(305, 7);
  }
  intptr_t openDisplay(platform::DialogOperator op) {
    return open("DIALOG_DISPLAY", DisplayDlgProc, std::move(op));
  }
};

TEST_F(DisplayDialogTest, OpeningShowsDistancesRecordsTheBodyDistanceAndWarns) {
  sim_.setTravel(100, 100000000, 12500000);  // label 100 km 0 m 0 mm: no warning yet
  intptr_t result = openDisplay([&](OperatedDialog& d) {
    EXPECT_EQ(d.text(6601), "100");
    EXPECT_EQ(d.text(6606), "100.000000");
    EXPECT_EQ(d.text(6607), "12.500000");
    EXPECT_EQ(d.text(6067), "7");
    EXPECT_EQ(d.timerInterval(2), 1u);
    EXPECT_EQ(d.text(6703), "");  // status comes with the first tick
  });
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(questions_.empty());
  EXPECT_EQ(readIni(kInfo, "PRTDIST00"), "12500000");
  EXPECT_EQ(payloads(sim_, "LRS"), std::vector<std::string>{kReadRequest});
  EXPECT_EQ(payloads(sim_, "CPS"), std::vector<std::string>{"2S200CPS00"});

  sim_.setTravel(100, 100000001, 12500000);  // past the warning distance: warns
  openDisplay([](OperatedDialog&) {});
  ASSERT_EQ(questions_.size(), 1u);
  EXPECT_EQ(questions_[0].id, 0u);  // the driver's own text
  EXPECT_EQ(questions_[0].style, 2u);
  EXPECT_EQ(questions_[0].text, cp932(messageText(60410)));
}

TEST_F(DisplayDialogTest, StatusTickFillsEveryStatusControlAndSurvivesAFailure) {
  sim_.setSensors(31, 22, 13, 54, 5);
  sim_.setVersions(120, 110, 250, 101);
  sim_.setErrorCode(12);
  sim_.setHeadRank(3);
  sim_.setTemperatures(253, -41);
  sim_.setPaperStopPosition(1);
  openDisplay([&](OperatedDialog& d) {
    ASSERT_TRUE(d.fireTimer(2));
    const std::pair<int, const char*> shown[] = {{6703, "31"},   {6704, "22"},    {6702, "13"},
                                                 {6701, "54"},   {6705, "5"},     {6602, "1.20"},
                                                 {6616, "1.10"}, {6617, "2.50"},  {6622, "1.01"},
                                                 {6615, "12"},   {6603, " 25.3"}, {6614, "-04.1"}};
    for (const auto& [id, text] : shown) EXPECT_EQ(d.text(id), text) << "control " << id;
    // Head open or closed, its resistance range and the paper stop position, as texts.
    const std::pair<int, uint32_t> states[] = {{6605, 60004}, {6604, 60008}, {6618, 60018}};
    for (const auto& [id, code] : states)
      EXPECT_EQ(utf8FromCp932(d.text(id)), messageText(code)) << id;
    EXPECT_EQ(d.timerInterval(2), 1500u);

    sim_.setHeadOpen(true);
    sim_.setHeadRank(7);
    sim_.setPaperStopPosition(9);  // not a stop position the printer defines
    ASSERT_TRUE(d.fireTimer(2));
    for (const auto& [id, code] : {std::pair{6605, 60003}, {6604, 60012}, {6618, 60017}}) {
      EXPECT_EQ(utf8FromCp932(d.text(id)), messageText(code)) << id;
    }

    // A failed status shows the error and the polling goes on.
    sim_.setStatusFailure(true);
    ASSERT_TRUE(d.fireTimer(2));
    EXPECT_EQ(d.timerInterval(2), 1500u);
    sim_.setStatusFailure(false);
    sim_.setSensors(30, 22, 13, 54, 5);
    ASSERT_TRUE(d.fireTimer(2));
    EXPECT_EQ(d.text(6703), "30");
  });
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].text, moduleStringCp932(kErrStatus));
}

// The printer's body distance against the one recorded in the INI file.
TEST_F(DisplayDialogTest, ShorterBodyDistanceIsSentBackOrRecordedAsTheQuestionsAreAnswered) {
  const char* const sendBack =
      "前回記録した本体走行距離（12.500000km）より、プリンターの本体走行距離（10.000000km）が短く"
      "なっています。\n前回記録した距離をプリンターに設定しますか？";
  const struct {
    const char* recorded;
    uint32_t printerMm;
    std::deque<int> answers;
    const char* shown;
    std::vector<uint32_t> questionIds;  // 0: the driver's own text, no host message
    const char* lastQuestion;           // UTF-8, nullptr: no question
    std::vector<std::string> lrs;       // every LRS request of the opening
    const char* recordedAfter;
    uint32_t printerAfter;
  } cases[] = {
      // clang-format off
      {"12500000", 10000000, {6}, "12.500000", {0}, sendBack,
       {kReadRequest, "2S200LRS00011012500000", kReadRequest}, "12500000", 12500000},
      {"12500000", 10000123, {7, 6}, "10.000123", {0, 0},
       "プリンターの本体走行距離（10.000123km）を記録しますか？",
       {kReadRequest}, "10000123", 10000123},
      {"12500000", 10000000, {7, 7}, "12.500000", {0, 0}, nullptr,
       {kReadRequest}, "12500000", 10000000},
      // A record that no printer could hold counts as none.
      {"-5", 7000000, {}, "7.000000", {}, nullptr, {kReadRequest}, "7000000", 7000000},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.recorded) + " vs " + std::to_string(c.printerMm));
    writeIni(kInfo, "PRTDIST00", c.recorded);
    sim_.setTravel(100, 0, c.printerMm);
    sim_.clearRecords();
    questions_.clear();
    answers_ = c.answers;
    openDisplay([&](OperatedDialog& d) { EXPECT_EQ(d.text(6607), c.shown); });
    std::vector<uint32_t> ids;
    for (const AskedQuestion& q : questions_) ids.push_back(q.id);
    EXPECT_EQ(ids, c.questionIds);
    if (c.lastQuestion != nullptr) {
      ASSERT_FALSE(questions_.empty());
      EXPECT_EQ(questions_.back().text, cp932(c.lastQuestion));
    }
    EXPECT_EQ(payloads(sim_, "LRS"), c.lrs);
    EXPECT_EQ(readIni(kInfo, "PRTDIST00"), c.recordedAfter);
    EXPECT_EQ(sim_.state().bodyTravelMm, c.printerAfter);
  }
}

TEST_F(DisplayDialogTest, WarningDistanceIsClampedToWhatThePrinterTakes) {
  openDisplay([&](OperatedDialog& d) {
    ASSERT_TRUE(d.setText(6601, "0"));
    ASSERT_TRUE(d.click(6620));
    EXPECT_EQ(sim_.state().warningDistanceKm, 1);
    ASSERT_TRUE(d.setText(6601, "300"));
    ASSERT_TRUE(d.click(6620));
    EXPECT_EQ(sim_.state().warningDistanceKm, 250);
  });
  EXPECT_EQ(payloads(sim_, "LRS"), (std::vector<std::string>{kReadRequest, "2S200LRS10010000000000",
                                                             "2S200LRS12500000000000"}));
}

TEST_F(DisplayDialogTest, ClearingTheLabelDistanceAsksFirstAndShowsAFailure) {
  sim_.setTravel(80, 5432100, 0);
  answers_ = {7, 6, 6};
  openDisplay([&](OperatedDialog& d) {
    EXPECT_EQ(d.text(6606), "5.432100");
    ASSERT_TRUE(d.click(6619));  // declined
    ASSERT_TRUE(d.setText(6601, "7"));
    ASSERT_TRUE(d.click(6619));
    EXPECT_EQ(d.text(6601), "80");
    EXPECT_EQ(sim_.state().labelTravelMm, 0u);

    // A failed clear shows the error and leaves the cleared distance shown.
    sim_.addFault(fault("LRS"));
    ASSERT_TRUE(d.click(6619));
    EXPECT_EQ(d.text(6606), "0.000000");
    EXPECT_FALSE(d.ended());
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].text, moduleStringCp932(kErrHeadDistance));
  });
  ASSERT_EQ(questions_.size(), 3u);
  EXPECT_EQ(questions_[0].id, 0u);
  EXPECT_EQ(questions_[0].text, cp932(messageText(60411)));
  // The declined question sent nothing; both clears went out.
  EXPECT_EQ(payloads(sim_, "LRS"), (std::vector<std::string>{kReadRequest, "2S200LRS20010000000000",
                                                             "2S200LRS20010000000000"}));
}

TEST_F(DisplayDialogTest, ResettingTheCutCountAsksTheHostsQuestion) {
  answers_ = {7, 6};
  openDisplay([&](OperatedDialog& d) {
    ASSERT_TRUE(d.click(6073));
    EXPECT_EQ(d.text(6067), "7");
    ASSERT_TRUE(d.click(6073));
    EXPECT_EQ(d.text(6067), "0");
  });
  ASSERT_EQ(questions_.size(), 2u);
  EXPECT_EQ(questions_[0].id, 50051u);
  EXPECT_EQ(payloads(sim_, "CPS"), (std::vector<std::string>{"2S200CPS00", "2S200CPS30"}));
}

// Windows delivers the status tick while a command's error box is up: the tick leaves the
// printer alone until the command is done, and the polling goes on afterwards.
TEST_F(DisplayDialogTest, StatusTickWaitsForACommandShowingABox) {
  struct InBox {
    OperatedDialog* dialog = nullptr;
    ktsim::Simulator* sim = nullptr;
    size_t framesDuring = 0;
    int boxes = 0;
  } inBox;
  inBox.sim = &sim_;
  openDisplay([&](OperatedDialog& d) {
    inBox.dialog = &d;
    nyhostSetMessageBoxHandler(
        [](void* user, NyHwnd, const char*, const char*, uint32_t) {
          auto* box = static_cast<InBox*>(user);
          ++box->boxes;
          const size_t before = box->sim->receivedFrames().size();
          EXPECT_TRUE(box->dialog->fireTimer(2));  // delivered by the box's message loop
          box->framesDuring += box->sim->receivedFrames().size() - before;
          return 1;
        },
        &inBox);
    sim_.addFault(fault("LRS"));
    ASSERT_TRUE(d.setText(6601, "7"));
    ASSERT_TRUE(d.click(6620));
    EXPECT_EQ(inBox.boxes, 1);
    EXPECT_EQ(inBox.framesDuring, 0u);
    EXPECT_TRUE(d.timerActive(2));
    const size_t before = sim_.receivedFrames().size();
    ASSERT_TRUE(d.fireTimer(2));
    EXPECT_GT(sim_.receivedFrames().size(), before);
  });
}

}  // namespace
}  // namespace nypr::test
