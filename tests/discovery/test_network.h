// A private network for search tests: one namespace for the driver side and one per
// printer, joined by a bridge in the driver's namespace. Broadcasts never leave it.
//
// Needs root and the `ip` tool; available() says why not otherwise (tests skip visibly).
// Namespace names carry the process id and a counter, so parallel test processes never
// meet; everything is removed by the destructor, and namespaces left by a killed earlier
// run of this program are removed on the next start.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace nypr::testing {

class TestNetwork {
 public:
  // `printers` namespaces for printers besides the driver's.
  explicit TestNetwork(int printers);
  ~TestNetwork();
  TestNetwork(const TestNetwork&) = delete;
  TestNetwork& operator=(const TestNetwork&) = delete;

  // Empty when the network is up; otherwise why it cannot be made.
  const std::string& unavailableReason() const { return reason_; }
  bool available() const { return reason_.empty(); }

  // Address of printer i (host order).
  uint32_t printerAddress(int i) const;

  // Runs `f` on a new thread that has entered the driver's (or printer i's) namespace,
  // and waits for it.
  void runAsDriver(const std::function<void()>& f) const;
  void runAsPrinter(int i, const std::function<void()>& f) const;
  // Starts `f` in printer i's namespace on a new thread and returns it (caller joins).
  std::thread startAsPrinter(int i, std::function<void()> f) const;
  // Starts `f` in the driver's namespace on a new thread.
  std::thread startAsDriver(std::function<void()> f) const;

 private:
  std::string reason_;
  std::string driverNs_;
  std::vector<std::string> printerNs_;
  uint8_t subnet_ = 0;
};

// A network of four printers made once per test program and kept to its end.
TestNetwork& sharedTestNetwork();

// An address (host order) in dotted form.
std::string dottedAddress(uint32_t a);

// Why namespaces cannot be used here, or "" when they can.
std::string networkNamespacesUnavailable();

}  // namespace nypr::testing
