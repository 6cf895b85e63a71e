// What the print tests share: a host job record, a label bitmap the host would render, a
// clock the tests move by hand, and a fixture with printer 1 opened on the simulator.
#pragma once

#include <cstdint>
#include <vector>

#include "core/slots.h"
#include "fake_clock.h"
#include "host_fixture.h"
#include "label_bitmap.h"
#include "nyprkt3600r/nyprkt3600r.h"
#include "platform/ui_operator.h"

namespace nypr::test {

// A print job as the host hands it over, sizes in 0.1 mm.
struct Job {
  LabelFormatST label{};
  PrintCondST cond{};
  uint32_t flagWord = 0;
  int32_t allow100 = 0;
  int32_t allow80a = 0;
  int32_t allow80b = 0;
  PrintJobST job{};

  Job(uint16_t width, uint16_t length, uint16_t gap = 30) {
    label.WidthUW = width;
    label.LengthUW = length;
    label.GapUW = gap;
    cond.Cond2UW = 100;
    cond.Cond4UW = 10;
    cond.CountUW = 1;
    job.lpLabelFormat = &label;
    job.lpPrintCond = &cond;
    job.lpAllowFlag100 = &allow100;
    job.lpAllowFlag80A = &allow80a;
    job.lpAllowFlag80B = &allow80b;
    job.lpFlagWord = &flagWord;
  }
  Job(const Job&) = delete;
  Job& operator=(const Job&) = delete;
};

// How many dots of a printed label differ from what the host's bitmap must give on a
// label of labelDots x lengthDots (-1: a label of another size). Bitmap row r lands on
// label line r + (lengthDots - bitmap height), so the bottom rows meet; dots right of the
// label or the bitmap are blank.
inline int wrongDots(const ktsim::PrintedLabel& printed, const LabelBitmap& src, int labelDots,
                     int lengthDots, bool mirrorX = false, bool mirrorY = false) {
  if (printed.width != labelDots || printed.height != lengthDots) return -1;
  int wrong = 0;
  for (int y = 0; y < lengthDots; ++y) {
    for (int x = 0; x < labelDots; ++x) {
      int row = y + src.height() - lengthDots;
      bool expected = false;
      if (row >= 0 && row < src.height() && x < src.width()) {
        if (mirrorY) row = src.height() - 1 - row;
        expected = src.black(mirrorX ? src.width() - 1 - x : x, row);
      }
      wrong += printed.dot(x, y) != expected;
    }
  }
  return wrong;
}

// Printer 1 on the simulator, opened by each test through init().
class PrintTest : public SimulatorTest {
 protected:
  void TearDown() override {
    NyPrClosePrinter(0);
    platform::clearDialogOperators();
    g_TestPrintFlag = 0;
    SimulatorTest::TearDown();
  }

  void init(Job& job) {
    ASSERT_EQ(NyPrInitPrinter(1, &job.job), 0);
    sim_.clearRecords();
  }
  int16_t print(Job& job, LabelBitmap& bitmap, int32_t copies = 1, uint32_t* confirm = nullptr) {
    return NyPrPrintOneLabel(1, copies, bitmap.handle(), &job.job, confirm);
  }
  uint32_t lastError() const { return stKtRSE[0].dwLastError; }
  // The simulated printer answers `code` with `action` after `skip` requests, `times` times.
  void fault(const char* code, ktsim::FaultAction action, int number = 0, int skip = 0,
             int times = 1) {
    ktsim::Fault f;
    f.code = code;
    f.action = action;
    f.number = number;
    f.skip = skip;
    f.times = times;
    sim_.addFault(f);
  }
};

}  // namespace nypr::test
