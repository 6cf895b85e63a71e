// Fault switches: which requests they match and what they do to the answer.
#include <algorithm>

#include "deadline.h"
#include "protocol.h"
#include "simulator_impl.h"

namespace ktsim {

using detail::Connection;
using detail::FaultEntry;
using detail::Plan;

Plan Simulator::Impl::planFaults(const Connection& c, const std::string& code) {
  Plan plan;
  for (auto& e : faults) {
    const Fault& f = e.fault;
    if (!f.code.empty() && f.code != code) continue;
    if (f.port && *f.port != c.port) continue;
    if (f.connection != 0 && f.connection != c.id) continue;
    ++e.matched;
    if (e.matched <= f.skip) continue;
    if (f.times >= 0 && e.hits >= f.times) continue;
    ++e.hits;
    log("fault " + std::to_string(e.id) + " (" + toString(f.action) + ") on " + code, false);
    switch (f.action) {
      case FaultAction::WrongCode:
        plan.code = f.answerCode;
        break;
      case FaultAction::NoAnswerClose:
        plan.swallow = plan.close = true;
        break;
      case FaultAction::NoAnswer:
        plan.swallow = true;
        break;
      case FaultAction::Reset:
        plan.swallow = plan.reset = true;
        break;
      case FaultAction::Delay:
        plan.delay = detail::addedWaits(plan.delay, f.delay);
        break;
      case FaultAction::Split:
        plan.segments = std::max(f.segments, 2);
        plan.gap = detail::boundedWait(f.delay);
        break;
      case FaultAction::FailureFlag:
        plan.failure = true;
        break;
      case FaultAction::Status:
        plan.status = f.number;
        break;
      case FaultAction::WrongParameter:
        plan.wrongParameter = f.number;
        break;
      case FaultAction::OtherHeader:
        plan.header = f.header;
        break;
      case FaultAction::LengthDigits:
        plan.lengthSkew = f.number;
        break;
      case FaultAction::Truncate:
        plan.truncate = std::max(f.number, 1);
        break;
    }
  }
  return plan;
}

void Simulator::Impl::applyPlan(const Plan& plan, const std::string& code, std::string& answer) {
  if (plan.failure) detail::setFailure(answer, code, 0);
  if (plan.status) detail::setStatus(answer, code, *plan.status);
  if (plan.wrongParameter) {
    detail::put(answer, 11, "1");
    detail::put(answer, 12, detail::digits(*plan.wrongParameter, 3));
  }
  if (plan.header) {
    std::string h = *plan.header;
    h.resize(5, '0');
    detail::put(answer, 0, h);
  }
  if (plan.code) {
    std::string letters = *plan.code;
    letters.resize(3, 'X');
    detail::put(answer, 5, letters);
  }
  if (plan.truncate && answer.size() > static_cast<size_t>(*plan.truncate)) {
    answer.resize(static_cast<size_t>(*plan.truncate));
  }
}

int Simulator::addFault(const Fault& fault) {
  std::lock_guard<std::mutex> lk(impl_->mu);
  FaultEntry e;
  e.id = impl_->nextFault++;
  e.fault = fault;
  impl_->faults.push_back(e);
  return e.id;
}

void Simulator::removeFault(int id) {
  std::lock_guard<std::mutex> lk(impl_->mu);
  auto& f = impl_->faults;
  f.erase(std::remove_if(f.begin(), f.end(), [&](const FaultEntry& e) { return e.id == id; }),
          f.end());
}

void Simulator::clearFaults() {
  std::lock_guard<std::mutex> lk(impl_->mu);
  impl_->faults.clear();
}

int Simulator::faultHits(int id) const {
  std::lock_guard<std::mutex> lk(impl_->mu);
  for (const auto& e : impl_->faults) {
    if (e.id == id) return e.hits;
  }
  return 0;
}

}  // namespace ktsim
