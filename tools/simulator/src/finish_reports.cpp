// Finish reports: queued by the printer, delivered on the newest finish connection.
#include "ktsim/frame.h"
#include "net.h"
#include "protocol.h"
#include "simulator_impl.h"

namespace ktsim {

using detail::Connection;
using detail::OutgoingReport;

void Simulator::Impl::queueReport(JobRecord& job, int error, int remaining) {
  FinishReport r;
  r.job = job.id;
  r.error = error;
  r.remaining = remaining;
  job.endError = error;
  outbox.push_back(OutgoingReport{r});
  engineCv.notify_all();
}

std::shared_ptr<Connection> Simulator::Impl::newestFinishConnection() {
  for (auto it = connections.rbegin(); it != connections.rend(); ++it) {
    const auto& c = *it;
    if (c->port != Port::Finish || c->done || c->peerGone) continue;
    if (auto* r = connectionRecord(c->id); r && r->open) return c;
  }
  return nullptr;
}

void Simulator::Impl::deliver(OutgoingReport item, const std::shared_ptr<Connection>& c) {
  FinishReport report = item.report;
  FinishReportHook h;
  std::string hdr;
  {
    std::lock_guard<std::mutex> lk(mu);
    h = hook;
    hdr = header();
  }
  bool send = true;
  if (h) send = h(report);
  std::string frame;
  bool ok = false;
  bool connectionGone = false;
  if (send) {
    std::string p =
        hdr + "PRE0" + detail::digits(report.error, 3) + detail::digits(report.remaining, 4);
    frame = makeFrame(p);
    std::lock_guard<std::mutex> wl(c->writeMu);
    // A connection the host has just closed may still look open here; the report then
    // waits for the host's next finish connection instead of being lost.
    if (c->fd < 0 || detail::peerEnded(c->fd)) {
      connectionGone = true;
    } else {
      ok = detail::sendAll(c->fd, frame);
    }
  }
  std::lock_guard<std::mutex> lk(mu);
  if (connectionGone) {
    c->peerGone = true;
    outbox.push_front(item);
    engineCv.notify_all();
    return;
  }
  report.delivered = ok;
  report.connection = ok ? c->id : 0;
  if (ok) recordFrame(*c, false, true, frame);
  if (send && !ok) log("finish report could not be sent", true);
  reportRecords.push_back(report);
  if (auto it = jobRecords.find(report.job); it != jobRecords.end()) {
    it->second.reports.push_back(report);
  }
  notify();
}

void Simulator::setFinishReportHook(FinishReportHook hook) {
  std::lock_guard<std::mutex> lk(impl_->mu);
  impl_->hook = std::move(hook);
}

}  // namespace ktsim
