// Two printers driven from two threads: a printer that does not answer holds up the calls
// on it, never another printer's label.
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>

#include "nyhost/nyhost_control.h"
#include "platform/net.h"
#include "print_fixture.h"
#include "status/error_text.h"

namespace nypr::test {
namespace {

using namespace std::chrono_literals;

// The error box of a printer that refuses the connection, held open by the user until the
// test releases it.
class HeldErrorBox {
 public:
  HeldErrorBox() { nyhostSetMessageBoxHandler(&HeldErrorBox::show, this); }
  ~HeldErrorBox() {
    release();
    nyhostSetMessageBoxHandler(nullptr, nullptr);
  }
  bool waitShown() {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, 10s, [this] { return boxes_ > 0; });
  }
  void release() {
    std::lock_guard lock(mutex_);
    released_ = true;
    changed_.notify_all();
  }
  int boxes() {
    std::lock_guard lock(mutex_);
    return boxes_;
  }

 private:
  static int show(void* user, NyHwnd, const char*, const char*, uint32_t) {
    auto* self = static_cast<HeldErrorBox*>(user);
    std::unique_lock lock(self->mutex_);
    ++self->boxes_;
    self->changed_.notify_all();
    // The user reads the box for a while; a lock held meanwhile would freeze printer 2.
    self->changed_.wait_for(lock, 10s, [self] { return self->released_; });
    return 1;
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  int boxes_ = 0;
  bool released_ = false;
};

using PrinterIndependenceTest = SimulatorTest;

TEST_F(PrinterIndependenceTest, APrinterThatDoesNotAnswerHoldsUpOnlyItsOwnCalls) {
  configurePrinter(2, sim_.addressValue());
  // The opening's own connect, and the connect of the ready check's status exchange (the
  // opening gives it the address).
  for (const bool inExchange : {false, true}) {
    SCOPED_TRACE(inExchange ? "box of a connect inside an exchange" : "box of the opening");
    ktsim::Simulator off;
    off.start();
    configurePrinter(1, off.addressValue());
    off.stop();
    Job job(400, 300);
    LabelBitmap label(480, 360);
    label.fillRandom(7);
    ASSERT_EQ(NyPrInitPrinter(2, &job.job), 0);
    sim_.clearRecords();
    if (inExchange) {
      ASSERT_EQ(NyPrInitPrinter(1, &job.job), -1);
    }

    HeldErrorBox box;
    std::future<int32_t> one = std::async(std::launch::async, [&job, inExchange] {
      return inExchange ? (NyPrIsPrintReady(0, 1) == 1 ? 0 : -1) : NyPrInitPrinter(1, &job.job);
    });
    ASSERT_TRUE(box.waitShown());
    EXPECT_EQ(NyPrPrintOneLabel(2, 1, label.handle(), &job.job, nullptr), 0);
    EXPECT_EQ(one.wait_for(0s), std::future_status::timeout)
        << "printer 2's label waited for printer 1";
    ASSERT_TRUE(sim_.lastJob().has_value());
    EXPECT_EQ(sim_.lastJob()->framesReceived, 72);

    box.release();
    EXPECT_EQ(one.get(), -1);
    EXPECT_EQ(stKtRSE[0].dwLastError, kErrSocket);
    EXPECT_EQ(stKtRSE[0].dwError, platform::kNetConnRefused);
    EXPECT_EQ(stKtRSE[0].skKT, platform::kInvalidSocket);
    EXPECT_EQ(box.boxes(), 1);
    EXPECT_TRUE(sim_.waitForJobEnd(5s));
    NyPrClosePrinter(1);
  }
}

}  // namespace
}  // namespace nypr::test
