// Two printers driven from two threads: a printer that does not answer holds up the calls
// on it, never another printer's label.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "nyhost/nyhost_control.h"
#include "platform/net.h"
#include "print_fixture.h"
#include "status/error_text.h"

namespace nypr::test {
namespace {

using namespace std::chrono_literals;

thread_local bool t_printerOneThread = false;

// Printer 1 is called on its own thread; the test learns when that thread is inside the
// driver (its first clock reading is the reconnect pause, just before the connect) and
// holds its error box open until released.
class PrinterOne {
 public:
  PrinterOne() {
    platform::setClockForTesting(&hooks_);
    nyhostSetMessageBoxHandler(&PrinterOne::messageBox, this);
  }
  ~PrinterOne() {
    release();
    if (thread_.joinable()) thread_.join();
    platform::setClockForTesting(nullptr);
    nyhostSetMessageBoxHandler(nullptr, nullptr);
  }

  void run(std::function<int32_t()> call) {
    thread_ = std::thread([this, call] {
      t_printerOneThread = true;
      result_ = call();
      returned_ = true;
    });
  }
  bool waitInsideDriver() {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, 10s, [this] { return inside_; });
  }
  void release() {
    std::lock_guard lock(mutex_);
    released_ = true;
    changed_.notify_all();
  }
  int32_t join() {
    thread_.join();
    return result_;
  }
  bool returned() const { return returned_; }
  int boxes() const { return boxes_; }

 private:
  static uint32_t tick(void* user) {
    auto* self = static_cast<PrinterOne*>(user);
    if (t_printerOneThread) {
      std::lock_guard lock(self->mutex_);
      self->inside_ = true;
      self->changed_.notify_all();
    }
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
  }
  static void sleep(void*, uint32_t ms) { std::this_thread::sleep_for(1ms * ms); }
  static int messageBox(void* user, NyHwnd, const char*, const char*, uint32_t) {
    auto* self = static_cast<PrinterOne*>(user);
    std::unique_lock lock(self->mutex_);
    ++self->boxes_;
    // The user reads the box for a while; a lock held meanwhile would freeze printer 2.
    self->changed_.wait_for(lock, 10s, [self] { return self->released_; });
    return 1;
  }

  platform::ClockHooks hooks_{&PrinterOne::tick, &PrinterOne::sleep, this};
  std::mutex mutex_;
  std::condition_variable changed_;
  bool inside_ = false;
  bool released_ = false;
  int boxes_ = 0;
  std::atomic<bool> returned_{false};
  int32_t result_ = 0;
  std::thread thread_;
};

using PrinterIndependenceTest = SimulatorTest;

TEST_F(PrinterIndependenceTest, APrinterThatDoesNotAnswerHoldsUpOnlyItsOwnCalls) {
  struct Case {
    const char* name;
    bool refuses;     // else it accepts no connection: the connect waits out its 5 s
    bool inExchange;  // the connect of a status exchange, else the opening's own
    int32_t socketError;
  };
  const Case cases[] = {
      {"printer 1's connect is pending", false, false, platform::kNetTimedOut},
      {"printer 1's error box is open", true, false, platform::kNetConnRefused},
      {"the error box of a connect inside an exchange is open", true, true,
       platform::kNetConnRefused},
  };
  configurePrinter(2, sim_.addressValue());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ktsim::Simulator off;
    off.start();
    configurePrinter(1, off.addressValue());
    if (c.refuses) {
      off.stop();
    } else {
      off.setAccepting(ktsim::Port::Command, false);
    }
    Job job(400, 300);
    LabelBitmap label(480, 360);
    label.fillRandom(7);
    ASSERT_EQ(NyPrInitPrinter(2, &job.job), 0);
    sim_.clearRecords();

    // The ready check connects inside its status exchange; the opening gives it the address.
    if (c.inExchange) {
      ASSERT_EQ(NyPrInitPrinter(1, &job.job), -1);
    }

    PrinterOne one;
    if (c.inExchange) {
      one.run([] { return NyPrIsPrintReady(0, 1) == 1 ? 0 : -1; });
    } else {
      one.run([&job] { return NyPrInitPrinter(1, &job.job); });
    }
    ASSERT_TRUE(one.waitInsideDriver());
    EXPECT_EQ(NyPrPrintOneLabel(2, 1, label.handle(), &job.job, nullptr), 0);
    EXPECT_FALSE(one.returned()) << "printer 2's label waited for printer 1";
    ASSERT_TRUE(sim_.lastJob().has_value());
    EXPECT_EQ(sim_.lastJob()->framesReceived, 72);

    one.release();
    EXPECT_EQ(one.join(), -1);
    EXPECT_EQ(stKtRSE[0].dwLastError, kErrSocket);
    EXPECT_EQ(stKtRSE[0].dwError, c.socketError);
    EXPECT_EQ(stKtRSE[0].skKT, platform::kInvalidSocket);
    EXPECT_EQ(one.boxes(), 1);
    EXPECT_TRUE(sim_.waitForJobEnd(5s));
    NyPrClosePrinter(1);
  }
}

}  // namespace
}  // namespace nypr::test
