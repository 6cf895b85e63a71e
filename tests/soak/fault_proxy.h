// A fault layer between the driver and the simulated printer: it listens on the printer's
// two ports at its own loopback address, passes every connection through to the
// simulator, and spoils the traffic of a port as the test arms it (chunks split into
// several segments, delays, a reset or a close once so many bytes have passed). Random
// choices come from a fixed seed.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace nypr::test {

enum class ProxyPort { Command, Finish };

enum class ProxyFault {
  None,
  Split,  // every chunk goes out in two to four segments, 1 ms apart
  Delay,  // every chunk waits `delayMs` before it goes out
  Reset,  // once `afterBytes` bytes have passed (both ways): reset the host's connection
  Close,  // the same, with an orderly close
};

struct ProxyPlan {
  ProxyFault fault = ProxyFault::None;
  int delayMs = 0;
  uint64_t afterBytes = 0;
};

struct ProxyCounts {
  int connections = 0;
  int resets = 0;
  int closes = 0;
};

class FaultProxy {
 public:
  // Forwards to `upstream` (dotted address) on the same two ports.
  FaultProxy(const std::string& upstream, uint16_t commandPort, uint16_t finishPort, uint32_t seed);
  ~FaultProxy();
  FaultProxy(const FaultProxy&) = delete;
  FaultProxy& operator=(const FaultProxy&) = delete;

  uint32_t addressValue() const;  // host order, first octet most significant
  // Applies `plan` to the port's traffic from now on (the byte count starts again).
  void arm(ProxyPort port, const ProxyPlan& plan);
  ProxyCounts counts() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace nypr::test
