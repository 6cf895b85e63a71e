// The printer state every answer comes from, and its setters.
#include "simulator_impl.h"

namespace ktsim {

Simulator::Impl::Impl(Options o) : options(std::move(o)) {
  listeners[0].port = Port::Command;
  listeners[1].port = Port::Finish;
  MemoryCard card;
  card.present = true;
  card.files = 3;
  card.firstSize = "000008388608";
  card.secondSize = "000004194304";
  state.cards[0] = card;
}

PrinterState Simulator::state() const {
  std::lock_guard<std::mutex> lk(impl_->mu);
  return impl_->state;
}

void Simulator::setState(const PrinterState& state) {
  updateState([&](PrinterState& s) { s = state; });
}

void Simulator::updateState(const std::function<void(PrinterState&)>& f) {
  {
    std::lock_guard<std::mutex> lk(impl_->mu);
    f(impl_->state);
    impl_->engineCv.notify_all();
  }
  impl_->notify();
}

void Simulator::setModelHeader(const std::string& header) {
  updateState([&](PrinterState& s) { s.header = header; });
}

void Simulator::setVersions(int controller, int bios, int program, int deviceController) {
  updateState([&](PrinterState& s) {
    s.controllerVersion = controller;
    s.biosVersion = bios;
    s.programVersion = program;
    s.deviceControllerVersion = deviceController;
  });
}

void Simulator::setSensors(int gap, int mark, int peel, int ribbon, int cutDoor) {
  updateState([&](PrinterState& s) {
    s.gapSensor = gap;
    s.markSensor = mark;
    s.peelSensor = peel;
    s.ribbonSensor = ribbon;
    s.cutDoorSensor = cutDoor;
  });
}

void Simulator::setHeadRank(int rank) {
  updateState([&](PrinterState& s) { s.headRank = rank; });
}

void Simulator::setHeadOpen(bool open) {
  updateState([&](PrinterState& s) { s.headOpen = open; });
}

void Simulator::setErrorCode(int code) {
  updateState([&](PrinterState& s) { s.errorCode = code; });
}

void Simulator::setStatusFailure(bool failed) {
  updateState([&](PrinterState& s) { s.statusFailure = failed; });
}

void Simulator::setPaperStopPosition(int position) {
  updateState([&](PrinterState& s) { s.paperStopPosition = position; });
}

void Simulator::setTemperatures(int headTenths, int ambientTenths) {
  updateState([&](PrinterState& s) {
    s.headTemperature = headTenths;
    s.ambientTemperature = ambientTenths;
  });
}

void Simulator::setTravel(int warningKm, uint64_t labelMm, uint64_t bodyMm) {
  updateState([&](PrinterState& s) {
    s.warningDistanceKm = warningKm;
    s.labelTravelMm = labelMm;
    s.bodyTravelMm = bodyMm;
  });
}

void Simulator::setGapMark(bool markDetection, bool gapManual, int gapReference, int gapResistance,
                           bool markManual, int markReference, int markResistance) {
  updateState([&](PrinterState& s) {
    s.markDetection = markDetection;
    s.gapManual = gapManual;
    s.gapReference = gapReference;
    s.gapResistance = gapResistance;
    s.markManual = markManual;
    s.markReference = markReference;
    s.markResistance = markResistance;
  });
}

void Simulator::setAddresses(const std::string& mac, uint32_t ip, uint32_t mask, uint32_t gateway) {
  updateState([&](PrinterState& s) {
    s.mac = mac;
    s.ip = ip;
    s.mask = mask;
    s.gateway = gateway;
  });
}

void Simulator::setCard(int number, const MemoryCard& card) {
  if (number < 0 || number > 9) return;
  updateState([&](PrinterState& s) { s.cards[static_cast<size_t>(number)] = card; });
}

void Simulator::setCutPosition(int dots, uint32_t count) {
  updateState([&](PrinterState& s) {
    s.cutPositionDots = dots;
    s.cutCount = count;
  });
}

void Simulator::setCutError(int number) {
  updateState([&](PrinterState& s) { s.cutError = number; });
}

void Simulator::setBrokenDots(std::vector<int> dots) {
  updateState([&](PrinterState& s) { s.brokenDots = std::move(dots); });
}

void Simulator::setPrintSpeed(int mmPerSecond) {
  updateState([&](PrinterState& s) { s.printSpeed = mmPerSecond; });
}

void Simulator::setStopReportError(int error) {
  updateState([&](PrinterState& s) { s.stopReportError = error; });
}

void Simulator::setDiscoveryIdentity(int machineNumber, const std::string& modelText) {
  updateState([&](PrinterState& s) {
    s.machineNumber = machineNumber;
    s.modelText = modelText;
  });
}

}  // namespace ktsim
