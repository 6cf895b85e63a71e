// The simulator's life cycle, addresses and waiting on its events.
#include "ktsim/simulator.h"

#include <algorithm>

#include "deadline.h"
#include "protocol.h"
#include "simulator_impl.h"

namespace ktsim {

using detail::Clock;
using detail::isEnded;

void Simulator::Impl::notify() const {
  {
    std::lock_guard<std::mutex> lk(eventMu);
    const_cast<Impl*>(this)->eventSeq++;
  }
  eventCv.notify_all();
}

bool Simulator::Impl::waitFor(const std::function<bool()>& condition, Millis timeout) const {
  const auto deadline = detail::deadlineAfter(timeout);
  for (;;) {
    uint64_t seen;
    {
      std::lock_guard<std::mutex> lk(eventMu);
      seen = eventSeq;
    }
    if (condition()) return true;
    std::unique_lock<std::mutex> lk(eventMu);
    if (!eventCv.wait_until(lk, deadline, [&] { return eventSeq != seen; })) {
      lk.unlock();
      return condition();
    }
  }
}

// ---- Simulator ----

Simulator::Simulator(Options options) : impl_(std::make_unique<Impl>(std::move(options))) {}

Simulator::~Simulator() {
  stop();
}

void Simulator::start() {
  impl_->start();
}
void Simulator::stop() {
  impl_->stop();
}

bool Simulator::running() const {
  std::lock_guard<std::mutex> lk(impl_->mu);
  return impl_->started;
}

std::string Simulator::address() const {
  return detail::dotted(addressValue());
}

uint32_t Simulator::addressValue() const {
  std::lock_guard<std::mutex> lk(impl_->mu);
  return impl_->ip;
}

uint16_t Simulator::commandPort() const {
  std::lock_guard<std::mutex> lk(impl_->mu);
  return impl_->listeners[0].number;
}

uint16_t Simulator::finishPort() const {
  std::lock_guard<std::mutex> lk(impl_->mu);
  return impl_->listeners[1].number;
}

uint16_t Simulator::discoveryPort() const {
  std::lock_guard<std::mutex> lk(impl_->mu);
  return impl_->udpPort;
}

bool Simulator::waitFor(const std::function<bool()>& condition, Millis timeout) const {
  return impl_->waitFor(condition, timeout);
}

bool Simulator::waitForFrames(std::string_view code, size_t count, Millis timeout) const {
  const std::string c(code);
  return waitFor([&] { return receivedFrames(c).size() >= count; }, timeout);
}

bool Simulator::waitForLabels(size_t count, Millis timeout) const {
  return waitFor([&] { return labels().size() >= count; }, timeout);
}

bool Simulator::waitForReports(size_t count, Millis timeout) const {
  return waitFor([&] { return finishReports().size() >= count; }, timeout);
}

bool Simulator::waitForJobEnd(Millis timeout) const {
  return waitFor(
      [&] {
        std::lock_guard<std::mutex> lk(impl_->mu);
        if (impl_->jobRecords.empty()) return false;
        const auto& job = impl_->jobRecords.rbegin()->second;
        // Ended, and its reports are out (or have nowhere to go).
        return isEnded(job.state) && (impl_->outbox.empty() || !impl_->newestFinishConnection());
      },
      timeout);
}

bool Simulator::waitForJobState(JobState state, Millis timeout) const {
  return waitFor(
      [&] {
        auto job = lastJob();
        return job && job->state == state;
      },
      timeout);
}

bool Simulator::waitForLabelAtPeeler(Millis timeout) const {
  return waitFor([&] { return labelAtPeeler(); }, timeout);
}

bool Simulator::waitForConnections(Port port, size_t count, Millis timeout) const {
  return waitFor(
      [&] {
        const auto all = connections();
        return static_cast<size_t>(std::count_if(
                   all.begin(), all.end(),
                   [&](const ConnectionRecord& r) { return r.port == port; })) >= count;
      },
      timeout);
}

bool Simulator::waitForNoOpenConnections(Millis timeout) const {
  return waitFor(
      [&] {
        const auto all = connections();
        return std::none_of(all.begin(), all.end(),
                            [](const ConnectionRecord& r) { return r.open; });
      },
      timeout);
}

}  // namespace ktsim
