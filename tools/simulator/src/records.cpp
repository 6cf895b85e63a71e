// What the printer saw: frames, connections, jobs, labels, reports and log lines.
#include <algorithm>
#include <cstdio>
#include <iostream>

#include "ktsim/frame.h"
#include "simulator_impl.h"

namespace ktsim {

using detail::Connection;
using detail::isEnded;
using detail::kFrameRecordBytes;
using detail::kMaxLogLines;
using detail::readable;

namespace {

// A record's share of the budget: its bytes and what holding them costs.
size_t recordCost(const FrameRecord& r) {
  return sizeof(FrameRecord) + r.bytes.capacity() + 32;
}

}  // namespace

namespace detail {

// Frame bytes in readable form: control bytes escaped, long binary data abbreviated.
std::string readable(std::string_view bytes) {
  std::string out;
  const auto payload = framePayload(bytes);
  std::string_view shown = bytes;
  size_t hidden = 0;
  if (payload && payload->size() > 12 && payload->substr(5, 3) == "DTI") {
    shown = bytes.substr(0, 17);
    hidden = bytes.size() - 17;
  } else if (payload && payload->size() > 12 && payload->substr(5, 3) == "IDS") {
    shown = bytes.substr(0, 17);
    hidden = bytes.size() - 17;
  } else if (bytes.size() > 300) {
    shown = bytes.substr(0, 300);
    hidden = bytes.size() - 300;
  }
  for (unsigned char c : shown) {
    if (c == 0x02) {
      out += "<STX>";
    } else if (c == 0x03) {
      out += "<ETX>";
    } else if (c < 0x20 || c >= 0x7F) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  if (hidden) out += "...(" + std::to_string(hidden) + " more bytes)";
  return out;
}

}  // namespace detail

void Simulator::Impl::log(const std::string& line, bool warning) {
  const std::string text = (warning ? "warning: " : "") + line;
  logRecords.push_back(text);
  if (logRecords.size() > kMaxLogLines) logRecords.pop_front();
  if (options.logSink) {
    if (options.verbose || warning) options.logSink(text);
  } else if (options.verbose) {
    std::cerr << "kt3600r-sim: " << text << '\n';
  }
}

void Simulator::Impl::recordFrame(const Connection& c, bool received, bool valid,
                                  std::string bytes) {
  if (options.verbose) {
    std::string line = std::string("[") + toString(c.port) + " #" + std::to_string(c.id) + "] " +
                       (received ? "<- " : "-> ") + readable(bytes);
    log(valid ? line : line + " (dropped)", false);
  }
  FrameRecord r;
  r.connection = c.id;
  r.port = c.port;
  r.received = received;
  r.valid = valid;
  r.bytes = std::move(bytes);
  frameRecords.push_back(std::move(r));
  frameRecordBytes += recordCost(frameRecords.back());
  while (frameRecordBytes > kFrameRecordBytes && frameRecords.size() > 1) {
    frameRecordBytes -= recordCost(frameRecords.front());
    frameRecords.pop_front();
  }
}

ConnectionRecord* Simulator::Impl::connectionRecord(uint64_t id) {
  for (auto& r : connectionRecords) {
    if (r.id == id) return &r;
  }
  return nullptr;
}

std::vector<FrameRecord> Simulator::frames() const {
  std::lock_guard<std::mutex> lk(impl_->mu);
  return {impl_->frameRecords.begin(), impl_->frameRecords.end()};
}

std::vector<FrameRecord> Simulator::receivedFrames(std::string_view code) const {
  std::lock_guard<std::mutex> lk(impl_->mu);
  std::vector<FrameRecord> out;
  for (const auto& f : impl_->frameRecords) {
    if (f.received && f.valid && (code.empty() || f.code() == code)) out.push_back(f);
  }
  return out;
}

std::vector<FrameRecord> Simulator::sentFrames(std::string_view code) const {
  std::lock_guard<std::mutex> lk(impl_->mu);
  std::vector<FrameRecord> out;
  for (const auto& f : impl_->frameRecords) {
    if (!f.received && (code.empty() || f.code() == code)) out.push_back(f);
  }
  return out;
}

std::vector<ConnectionRecord> Simulator::connections() const {
  std::lock_guard<std::mutex> lk(impl_->mu);
  return impl_->connectionRecords;
}

std::vector<JobRecord> Simulator::jobs() const {
  std::lock_guard<std::mutex> lk(impl_->mu);
  std::vector<JobRecord> out;
  for (const auto& [id, job] : impl_->jobRecords) out.push_back(job);
  return out;
}

std::optional<JobRecord> Simulator::lastJob() const {
  std::lock_guard<std::mutex> lk(impl_->mu);
  if (impl_->jobRecords.empty()) return std::nullopt;
  return impl_->jobRecords.rbegin()->second;
}

std::vector<PrintedLabel> Simulator::labels() const {
  std::lock_guard<std::mutex> lk(impl_->mu);
  return {impl_->labelRecords.begin(), impl_->labelRecords.end()};
}

std::vector<FinishReport> Simulator::finishReports() const {
  std::lock_guard<std::mutex> lk(impl_->mu);
  return impl_->reportRecords;
}

ProgramRecord Simulator::program() const {
  std::lock_guard<std::mutex> lk(impl_->mu);
  return impl_->programRecord;
}

std::vector<std::string> Simulator::logLines() const {
  std::lock_guard<std::mutex> lk(impl_->mu);
  return {impl_->logRecords.begin(), impl_->logRecords.end()};
}

void Simulator::clearRecords() {
  std::lock_guard<std::mutex> lk(impl_->mu);
  auto& im = *impl_;
  im.frameRecords.clear();
  im.connectionRecords.erase(
      std::remove_if(im.connectionRecords.begin(), im.connectionRecords.end(),
                     [](const ConnectionRecord& r) { return !r.open; }),
      im.connectionRecords.end());
  for (auto it = im.jobRecords.begin(); it != im.jobRecords.end();) {
    if (isEnded(it->second.state)) {
      im.jobLabels.erase(it->first);
      im.testForms.erase(it->first);
      it = im.jobRecords.erase(it);
    } else {
      ++it;
    }
  }
  im.labelRecords.clear();
  im.reportRecords.clear();
  im.logRecords.clear();
}

}  // namespace ktsim
