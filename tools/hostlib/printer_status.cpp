#include "printer_status.h"

#include <cstdio>
#include <vector>

#include "driver_reasons.h"
#include "driver_text.h"
#include "label_job.h"
#include "nyhost/nyhost_control.h"
#include "nyprkt3600r/nyprkt3600r.h"

namespace nypr::host {
namespace {

std::vector<std::string> split(const std::string& s, char sep) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t i = 0; i <= s.size(); ++i) {
    if (i == s.size() || s[i] == sep) {
      parts.push_back(s.substr(start, i - start));
      start = i + 1;
    }
  }
  return parts;
}

// Decimal digits only (leading blanks allowed); nullopt otherwise or when too long.
std::optional<uint64_t> number(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  if (i == text.size() || text.size() - i > 15) return std::nullopt;
  uint64_t value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(text[i] - '0');
  }
  return value;
}

int intOr0(const std::string& text) {
  auto v = number(text);
  return v ? static_cast<int>(*v) : 0;
}

// "0253" -> 253, "1050" -> -50: a sign character ('0' positive), two digits, a decimal.
std::optional<int> temperature(const std::string& t) {
  if (t.size() != 4) return std::nullopt;
  auto magnitude = number(t.substr(1));
  if (!magnitude) return std::nullopt;
  return t[0] == '0' ? static_cast<int>(*magnitude) : -static_cast<int>(*magnitude);
}

// "012Km345m678mm" -> millimetres; nullopt when the distance query left its parts empty.
std::optional<uint64_t> distance(const std::string& text) {
  const size_t k = text.find("Km");
  if (k == std::string::npos || text.size() < 4 || text.compare(text.size() - 2, 2, "mm") != 0) {
    return std::nullopt;
  }
  const size_t end = text.size() - 2;  // where the millimetres end
  const size_t m = text.find('m', k + 2);
  if (m == std::string::npos || m >= end) return std::nullopt;
  auto km = number(text.substr(0, k));
  auto metres = number(text.substr(k + 2, m - (k + 2)));
  auto mm = number(text.substr(m + 1, end - (m + 1)));
  if (!km || !metres || !mm) return std::nullopt;
  return *km * 1000000 + *metres * 1000 + *mm;
}

}  // namespace

std::optional<StatusDetails> parseStatusLine(const std::string& line) {
  const std::vector<std::string> f = split(line, '#');
  if (f.size() != 19) return std::nullopt;
  StatusDetails d;
  d.controllerVersion = intOr0(f[0]);
  d.biosVersion = intOr0(f[1]);
  d.programVersion = intOr0(f[2]);
  d.gapSensor = intOr0(f[3]);
  d.markSensor = intOr0(f[4]);
  d.peelSensor = intOr0(f[5]);
  d.ribbonSensor = intOr0(f[6]);
  d.headResistance = utf8Line(f[7]);
  d.headOpen = f[8] == "1";
  auto head = temperature(f[9]);
  auto ambient = temperature(f[10]);
  if (!head || !ambient) return std::nullopt;
  d.headTemperatureTenths = *head;
  d.ambientTemperatureTenths = *ambient;
  d.statusUnavailable = f[11] == "1";
  d.paperStopPosition = f[12].empty() ? 0 : f[12].back() - '0';
  d.cutDoorSensor = intOr0(f[13]);
  d.deviceControllerVersion = intOr0(f[14]);
  d.headWarningKm = intOr0(f[16]);
  auto label = distance(f[17]);
  auto body = distance(f[18]);
  d.haveDistances = label && body;
  d.labelTravelMm = label.value_or(0);
  d.bodyTravelMm = body.value_or(0);
  return d;
}

PrinterStatus readPrinterStatus(int printer) {
  PrinterStatus status;
  HostRecords records;
  const auto slot = static_cast<uint8_t>(printer - 1);
  const int32_t opened = NyPrInitPrinter(static_cast<uint8_t>(printer), &records.job);
  if (opened == 0) {
    status.answered = true;
    char key[32];
    std::snprintf(key, sizeof key, "STATUS%02d", printer - 1);
    char line[512] = {};
    nyhostProfileRead("KT3600R Info", key, "", line, sizeof line);
    status.details = parseStatusLine(line);
    if (NyPrIsPrintReady(slot, 1) == 0) {
      const DriverError error = lastDriverError(printer);
      status.errorCode = error.code;
      status.errorMessage = error.message;
    }
  } else {
    const DriverError error = lastDriverError(printer);
    status.errorCode = error.code;
    status.errorMessage = error.message;
    // The printer answered but said something is wrong (another model, no status).
    status.answered =
        driverResult(error.code).reason != kReasonOffline && error.code != 0 && error.code != 60400;
  }
  NyPrClosePrinter(slot);
  if (status.errorCode != 0) status.reasons = driverResult(status.errorCode).reason;
  if (!status.answered && status.errorCode == 0) status.reasons = kReasonOffline;
  return status;
}

}  // namespace nypr::host
