// Answers to the command set from the printer state (the job commands are in print_jobs.cpp).
#include "protocol.h"
#include "simulator_impl.h"

namespace ktsim {

std::string Simulator::Impl::header() const {
  std::string h = state.header;
  h.resize(5, '0');
  return h;
}

std::string Simulator::Impl::respond(const std::string& code, const std::string& payload) {
  if (detail::answerCode(code).empty()) return {};
  if (code == "PRS" || code == "FES") return startJob(code, payload);
  if (code == "DTI") return rasterFrame(payload);
  if (code == "PSP") return stopJobs(payload);
  if (code == "PTS") return testPrint(payload);
  if (code == "INS" || code == "IDS" || code == "INE") return programTransfer(code, payload);
  if (code != "DTI" && payload.size() != detail::requestLength(code)) {
    std::string a = detail::blankAnswer(header(), code);
    detail::setFailure(a, code, 23);
    log(code + " request of " + std::to_string(payload.size()) + " bytes (expected " +
            std::to_string(detail::requestLength(code)) + ")",
        true);
    return a;
  }
  if (code == "STS") {
    PrinterState shown = state;
    if (labelWaiting) shown.peelSensor = state.peelSensorWithLabel;
    return detail::statusAnswer(shown);
  }
  if (code == "GMS") return detail::gapMarkAnswer(state, payload);
  if (code == "LRS") return detail::distanceAnswer(state, payload);
  if (code == "ADS") return detail::addressAnswer(state, payload);
  if (code == "CDS") return detail::cardAnswer(state, payload);
  if (code == "CPS") return detail::cutPositionAnswer(state, payload);
  if (code == "HCS") return detail::headCheckAnswer(state, payload);
  if (code == "CTS") return detail::cutAnswer(state);
  return detail::simpleAnswer(state, code, payload);
}

std::string Simulator::Impl::programTransfer(const std::string& code, const std::string& payload) {
  std::string a = detail::blankAnswer(header(), code);
  if (payload.size() != detail::requestLength(code)) {
    detail::setFailure(a, code, 23);
    return a;
  }
  if (code == "INS") {
    programRecord = ProgramRecord{};
    programRecord.started = true;
    programBroken = false;
    return a;
  }
  if (code == "IDS") {
    const auto number = detail::readDigits(payload, 8, 4);
    if (!programRecord.started || programRecord.complete || !number ||
        *number != programRecord.blocks % 10000) {
      programBroken = true;
      detail::setFailure(a, code, 0);
      log("IDS block " + payload.substr(8, 4) + " out of sequence", true);
      return a;
    }
    programRecord.data.insert(programRecord.data.end(), payload.begin() + 12, payload.end());
    ++programRecord.blocks;
    return a;
  }
  if (!programRecord.started || programBroken || programRecord.complete) {
    detail::setFailure(a, code, 0);
    return a;
  }
  programRecord.complete = true;
  log("program received: " + std::to_string(programRecord.blocks) + " blocks", false);
  return a;
}

}  // namespace ktsim
