#include "app_printers.h"

#include <cstdio>
#include <cstdlib>

#include "nyhost/nyhost_control.h"

namespace nypr::app {
namespace {

constexpr const char* kSection = "KT3600R Printer Application";

std::string idKey(int id) {
  return "Printer" + std::to_string(id);
}

int storedNumber(int id) {
  char value[16] = {};
  nyhostProfileRead(kSection, idKey(id).c_str(), "", value, sizeof value);
  const int number = std::atoi(value);
  return number >= 1 && number <= kMaxPrinters ? number : 0;
}

}  // namespace

void AppPrinter::setStatus(const host::PrinterStatus& s) {
  std::lock_guard lock(statusMutex);
  status = s;
  haveStatus = true;
  if (s.errorCode != 0) {
    lastErrorCode = s.errorCode;
    lastErrorMessage = s.errorMessage;
  }
}

host::PrinterStatus AppPrinter::lastStatus(bool& have, uint32_t& lastError) const {
  std::lock_guard lock(statusMutex);
  have = haveStatus;
  lastError = lastErrorCode;
  return status;
}

void AppPrinter::noteError(uint32_t code) {
  std::lock_guard lock(statusMutex);
  if (code != lastErrorCode) lastErrorMessage.clear();
  lastErrorCode = code;
}

bool Registry::full() const {
  std::lock_guard lock(mutex_);
  for (const auto& p : slots_) {
    if (!p) return false;
  }
  return true;
}

std::shared_ptr<AppPrinter> Registry::assign(int id, uint32_t address) {
  std::lock_guard lock(mutex_);
  for (const auto& p : slots_) {
    if (p && p->id == id) return p;
  }
  int number = storedNumber(id);
  const bool restored = number != 0 && !slots_[static_cast<size_t>(number - 1)];
  if (!restored) {
    number = 0;
    for (int i = 0; i < kMaxPrinters && number == 0; ++i) {
      if (!slots_[static_cast<size_t>(i)]) number = i + 1;
    }
  }
  if (number == 0) return nullptr;
  auto printer = std::make_shared<AppPrinter>();
  printer->id = id;
  printer->number = number;
  printer->address = address;
  printer->restored = restored;
  slots_[static_cast<size_t>(number - 1)] = printer;
  nyhostProfileWrite(kSection, idKey(id).c_str(), std::to_string(number).c_str());
  return printer;
}

std::shared_ptr<AppPrinter> Registry::find(int id) const {
  std::lock_guard lock(mutex_);
  for (const auto& p : slots_) {
    if (p && p->id == id) return p;
  }
  return nullptr;
}

std::vector<std::shared_ptr<AppPrinter>> Registry::all() const {
  std::lock_guard lock(mutex_);
  std::vector<std::shared_ptr<AppPrinter>> printers;
  for (const auto& p : slots_) {
    if (p) printers.push_back(p);
  }
  return printers;
}

void Registry::retain(const std::set<int>& ids) {
  std::lock_guard lock(mutex_);
  for (auto& p : slots_) {
    if (p && ids.count(p->id) == 0) {
      nyhostProfileWrite(kSection, idKey(p->id).c_str(), "");
      p.reset();
    }
  }
}

}  // namespace nypr::app
