// Print, feed and test-print jobs: assembling the raster, issuing copies at the print speed,
// and the printer events that stop a job.
#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "protocol.h"
#include "raster.h"
#include "simulator_impl.h"

namespace ktsim {

using detail::Clock;
using detail::isEnded;
using detail::kHeadDots;
using detail::kMaxStoredLabels;
using detail::kTestLabelDots;
using detail::OutgoingReport;

uint64_t Simulator::Impl::newJob(JobKind kind, const PrintConditions& conditions) {
  // A job whose raster never completed is given up; undelivered reports of older jobs
  // would only confuse the host's next wait.
  for (auto& [id, job] : jobRecords) {
    if (job.state == JobState::Receiving) job.state = JobState::Abandoned;
  }
  outbox.clear();
  JobRecord job;
  job.id = nextJob++;
  job.kind = kind;
  job.conditions = conditions;
  job.framesExpected = (conditions.lengthDots + 4) / 5;
  jobRecords[job.id] = job;
  return job.id;
}

void Simulator::Impl::beginIssuing(uint64_t id) {
  jobRecords[id].state = JobState::Issuing;
  issueQueue.push_back(id);
  engineCv.notify_all();
}

std::string Simulator::Impl::startJob(const std::string& code, const std::string& payload) {
  std::string a = detail::blankAnswer(header(), code);
  int bad = 0;
  const auto conditions = detail::parseConditions(payload, &bad);
  if (!conditions) {
    detail::setFailure(a, code, 23);
    detail::put(a, 12, detail::digits(bad, 3));
    log(code + " refused: print conditions field " + std::to_string(bad) + " is malformed", true);
    return a;
  }
  const bool feed = code == "FES";
  if (!feed && (state.headOpen || state.errorCode != 0)) {
    const int status = state.headOpen ? 1 : state.errorCode;
    detail::setStatus(a, code, status);
    log("PRS refused with printer error " + std::to_string(status), false);
    return a;
  }
  const uint64_t id = newJob(feed ? JobKind::Feed : JobKind::Print, *conditions);
  if (feed) {
    jobRecords[id].conditions.copies = 1;
    jobRecords[id].framesExpected = 0;
    beginIssuing(id);
  }
  log(std::string(feed ? "feed" : "print") + " job " + std::to_string(id) + ": " +
          std::to_string(conditions->widthDots) + "x" + std::to_string(conditions->lengthDots) +
          " dots, " + std::to_string(feed ? 1 : conditions->copies) + " copies",
      false);
  return a;
}

JobRecord* Simulator::Impl::receivingJob() {
  for (auto it = jobRecords.rbegin(); it != jobRecords.rend(); ++it) {
    if (it->second.state == JobState::Receiving) return &it->second;
  }
  return nullptr;
}

std::string Simulator::Impl::rasterFrame(const std::string& payload) {
  std::string a = detail::blankAnswer(header(), "DTI");
  auto refuse = [&](const std::string& why) {
    detail::put(a, 9, "1");
    log("DTI refused: " + why, true);
    return a;
  };
  JobRecord* job = receivingJob();
  if (!job) return refuse("no print job is waiting for raster data");
  const auto number = detail::readDigits(payload, 8, 4);
  const int expected = job->framesReceived % 10000;
  if (!number || *number != expected) {
    return refuse("frame number " + payload.substr(8, 4) + ", expected " +
                  detail::digits(expected, 4));
  }
  const size_t data = payload.size() - 12;
  if (payload.size() < 12 + 15 || data % 5 != 0) {
    return refuse("raster of " + std::to_string(data) + " bytes is not five lines");
  }
  const int bpl = static_cast<int>(data / 5) - 2;
  if (job->bytesPerLine != 0 && job->bytesPerLine != bpl) {
    return refuse("line of " + std::to_string(bpl) + " bytes after lines of " +
                  std::to_string(job->bytesPerLine));
  }
  const size_t lineSize = static_cast<size_t>(bpl) + 2;
  for (size_t i = 0; i < 5; ++i) {
    if (payload.compare(12 + i * lineSize, 2, "00") != 0) {
      return refuse("raster line without its \"00\" prefix");
    }
  }
  job->bytesPerLine = bpl;
  for (size_t i = 0; i < 5; ++i) {
    const char* line = payload.data() + 12 + i * lineSize + 2;
    job->lines.emplace_back(reinterpret_cast<const uint8_t*>(line),
                            reinterpret_cast<const uint8_t*>(line) + bpl);
  }
  ++job->framesReceived;
  if (job->framesReceived == job->framesExpected) {
    jobLabels[job->id] = detail::renderLabel(job->lines, job->bytesPerLine,
                                             job->conditions.widthDots, job->conditions.lengthDots);
    log("job " + std::to_string(job->id) + ": raster complete, issuing", false);
    beginIssuing(job->id);
  }
  return a;
}

std::string Simulator::Impl::testPrint(const std::string& payload) {
  std::string a = detail::blankAnswer(header(), "PTS");
  const auto pattern = detail::readDigits(payload, 8, 1);
  const auto position = detail::readDigits(payload, 9, 1);
  const auto form = detail::readDigits(payload, 10, 1);
  const auto count = detail::readDigits(payload, 11, 4);
  if (payload.size() != 15 || !pattern || *pattern > 6 || !position || *position > 3 || !form ||
      *form > 2 || !count || *count == 0) {
    detail::setFailure(a, "PTS", 23);
    log("PTS refused: malformed test print request", true);
    return a;
  }
  if (state.headOpen || state.errorCode != 0) {
    detail::setFailure(a, "PTS", state.headOpen ? 1 : state.errorCode);
    return a;
  }
  PrintConditions c;
  c.widthDots = kHeadDots;
  c.lengthDots = kTestLabelDots;
  c.copies = *count;
  const uint64_t id = newJob(JobKind::TestPrint, c);
  testForms[id] = *form;
  jobLabels[id] = detail::testPattern(*pattern, *position, kHeadDots, kTestLabelDots);
  jobRecords[id].framesExpected = 0;
  beginIssuing(id);
  log("test print job " + std::to_string(id) + ": pattern " + std::to_string(*pattern) + ", form " +
          std::to_string(*form) + ", " + std::to_string(*count) + " labels",
      false);
  return a;
}

std::string Simulator::Impl::stopJobs(const std::string& payload) {
  std::string a = detail::blankAnswer(header(), "PSP");
  if (payload.size() != 8) {
    detail::setFailure(a, "PSP", 0);
    return a;
  }
  JobRecord* reported = nullptr;
  for (auto& [id, job] : jobRecords) {
    if (isEnded(job.state)) continue;
    if (!reported || job.state == JobState::Issuing) reported = &job;
  }
  for (auto& [id, job] : jobRecords) {
    if (!isEnded(job.state)) job.state = JobState::Stopped;
  }
  issueQueue.clear();
  nextIssueAt.reset();
  if (reported) {
    const int remaining = std::max(reported->conditions.copies - reported->copiesIssued, 0);
    queueReport(*reported, state.stopReportError, remaining);
    log("job " + std::to_string(reported->id) + " stopped by PSP", false);
  }
  return a;
}

JobRecord* Simulator::Impl::issuingJob() {
  while (!issueQueue.empty()) {
    auto it = jobRecords.find(issueQueue.front());
    if (it != jobRecords.end() && it->second.state == JobState::Issuing) return &it->second;
    issueQueue.pop_front();
    nextIssueAt.reset();
  }
  return nullptr;
}

Millis Simulator::Impl::copyTime(const JobRecord& job) const {
  if (job.kind == JobKind::TestPrint) {
    const int form = testForms.count(job.id) ? testForms.at(job.id) : 0;
    if (form > 0) {
      const auto ms = static_cast<int64_t>(form * 1000 * options.timeScale);
      return Millis(std::max<int64_t>(ms, 20));  // continuous issue never floods
    }
  }
  int speed = state.printSpeed;
  if (speed <= 0)
    speed = job.conditions.condition1 >= 30 && job.conditions.condition1 <= 300
                ? job.conditions.condition1
                : 100;
  const double mm = (job.conditions.lengthDots + job.conditions.gapDots) / 12.0;
  return Millis(static_cast<int64_t>(mm / speed * 1000.0 * options.timeScale));
}

void Simulator::Impl::endJob(JobRecord& job, int error, int remaining) {
  job.state = error == 999 || error == state.stopReportError ? JobState::Stopped : JobState::Failed;
  queueReport(job, error, remaining);
  log("job " + std::to_string(job.id) + " ends with printer error " + std::to_string(error), false);
  nextIssueAt.reset();
}

void Simulator::Impl::issueCopy(JobRecord& job) {
  nextIssueAt.reset();
  ++job.copiesIssued;
  const bool continuous = job.kind == JobKind::TestPrint && testForms[job.id] > 0;
  if (auto it = jobLabels.find(job.id); it != jobLabels.end()) {
    PrintedLabel label = it->second;
    label.job = job.id;
    label.copy = job.copiesIssued;
    label.kind = job.kind;
    if (!options.outputDir.empty()) {
      char name[64];
      std::snprintf(name, sizeof name, "label-%04llu-%04d.png",
                    static_cast<unsigned long long>(job.id), job.copiesIssued);
      const std::string path = (std::filesystem::path(options.outputDir) / name).string();
      if (detail::writePng(path, label)) {
        label.file = path;
      } else {
        log("cannot write " + path, true);
      }
    }
    labelRecords.push_back(std::move(label));
    if (labelRecords.size() > kMaxStoredLabels) labelRecords.pop_front();
  }
  // The label and the printer body travel the label and its gap.
  travelRemainderDots += static_cast<uint64_t>(job.conditions.lengthDots + job.conditions.gapDots);
  const uint64_t mm = travelRemainderDots / 12;
  travelRemainderDots %= 12;
  state.labelTravelMm += mm;
  state.bodyTravelMm += mm;
  if (job.conditions.settings.size() > 140 && job.conditions.settings[140] == '1') ++state.cutCount;
  if (job.conditions.autoPeel) labelWaiting = true;
  const int remaining = continuous ? 1 : std::max(job.conditions.copies - job.copiesIssued, 0);
  queueReport(job, 0, remaining);
  if (remaining == 0) {
    job.state = JobState::Finished;
    log("job " + std::to_string(job.id) + " finished", false);
  }
  notify();
}

void Simulator::Impl::engineLoop() {
  std::unique_lock<std::mutex> lk(mu);
  for (;;) {
    if (stopping) return;
    if (!outbox.empty()) {
      if (auto c = newestFinishConnection()) {
        OutgoingReport item = outbox.front();
        outbox.pop_front();
        lk.unlock();
        deliver(item, c);
        lk.lock();
        continue;
      }
    }
    JobRecord* job = issuingJob();
    if (job) {
      const int remaining = std::max(job->conditions.copies - job->copiesIssued, 0);
      if (pendingError && job->copiesIssued >= pendingError->afterCopies) {
        const int number = pendingError->number;
        pendingError.reset();
        endJob(*job, number, remaining);
        notify();
        continue;
      }
      if (state.headOpen) {
        endJob(*job, 1, remaining);
        notify();
        continue;
      }
      // Only an auto-peel job waits for the label on the peeler to be taken; without
      // auto-peel the peel sensor plays no part and the label stays where it is.
      if (!hold && !(labelWaiting && job->conditions.autoPeel)) {
        const auto now = Clock::now();
        if (!nextIssueAt) nextIssueAt = now + copyTime(*job);
        if (now >= *nextIssueAt) {
          issueCopy(*job);
          continue;
        }
        const auto until = *nextIssueAt;
        engineCv.wait_until(lk, until);
        continue;
      }
    }
    engineCv.wait(lk);
  }
}

void Simulator::raiseJobError(int number, int afterCopies) {
  {
    std::lock_guard<std::mutex> lk(impl_->mu);
    impl_->pendingError = Impl::PendingError{number, std::max(afterCopies, 0)};
    impl_->log("printer error " + std::to_string(number) + " armed after " +
                   std::to_string(afterCopies) + " copies",
               false);
    impl_->engineCv.notify_all();
  }
  impl_->notify();
}

void Simulator::stopFromPrinter() {
  raiseJobError(999, 0);
}

void Simulator::setIssueHold(bool hold) {
  std::lock_guard<std::mutex> lk(impl_->mu);
  impl_->hold = hold;
  impl_->engineCv.notify_all();
}

void Simulator::takeLabel() {
  {
    std::lock_guard<std::mutex> lk(impl_->mu);
    impl_->labelWaiting = false;
    impl_->engineCv.notify_all();
  }
  impl_->notify();
}

bool Simulator::labelAtPeeler() const {
  std::lock_guard<std::mutex> lk(impl_->mu);
  return impl_->labelWaiting;
}

}  // namespace ktsim
