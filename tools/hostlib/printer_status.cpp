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

// "012Km345m678mm" -> "012", "345", "678"; false when the text has another shape.
bool splitDistance(const std::string& text, std::string& km, std::string& m, std::string& mm) {
  const size_t k = text.find("Km");
  if (k == std::string::npos || text.size() < 4 || text.compare(text.size() - 2, 2, "mm") != 0) {
    return false;
  }
  const size_t end = text.size() - 2;  // where the millimetres end
  const size_t mPos = text.find('m', k + 2);
  if (mPos == std::string::npos || mPos >= end) return false;
  km = text.substr(0, k);
  m = text.substr(k + 2, mPos - (k + 2));
  mm = text.substr(mPos + 1, end - (mPos + 1));
  return true;
}

// Millimetres of a distance's three numbers; nullopt when one is empty or not a number.
std::optional<uint64_t> distance(const std::string& km, const std::string& m,
                                 const std::string& mm) {
  auto kmValue = number(km);
  auto mValue = number(m);
  auto mmValue = number(mm);
  if (!kmValue || !mValue || !mmValue) return std::nullopt;
  return *kmValue * 1000000 + *mValue * 1000 + *mmValue;
}

}  // namespace

std::string readStatusLine(int printer) {
  char key[32];
  std::snprintf(key, sizeof key, "STATUS%02d", printer - 1);
  char line[512] = {};
  nyhostProfileRead("KT3600R Info", key, "", line, sizeof line);
  return line;
}

std::optional<StatusFields> parseStatusFields(const std::string& line) {
  const std::vector<std::string> f = split(line, '#');
  if (f.size() != 19) return std::nullopt;
  StatusFields v;
  v.controllerVersion = f[0];
  v.biosVersion = f[1];
  v.programVersion = f[2];
  v.gapSensor = f[3];
  v.markSensor = f[4];
  v.peelSensor = f[5];
  v.ribbonSensor = f[6];
  v.headResistance = f[7];
  v.headOpen = f[8];
  v.headTemperature = f[9];
  v.ambientTemperature = f[10];
  v.statusFailure = f[11];
  v.statusChars = f[12];
  v.cutDoorSensor = f[13];
  v.deviceControllerVersion = f[14];
  v.statusDigit = f[15];
  v.headWarningKm = f[16];
  v.labelDistanceShape = splitDistance(f[17], v.labelKm, v.labelM, v.labelMm);
  v.bodyDistanceShape = splitDistance(f[18], v.bodyKm, v.bodyM, v.bodyMm);
  return v;
}

std::optional<StatusDetails> parseStatusLine(const std::string& line) {
  const std::optional<StatusFields> f = parseStatusFields(line);
  if (!f) return std::nullopt;
  StatusDetails d;
  d.controllerVersion = intOr0(f->controllerVersion);
  d.biosVersion = intOr0(f->biosVersion);
  d.programVersion = intOr0(f->programVersion);
  d.gapSensor = intOr0(f->gapSensor);
  d.markSensor = intOr0(f->markSensor);
  d.peelSensor = intOr0(f->peelSensor);
  d.ribbonSensor = intOr0(f->ribbonSensor);
  d.headResistance = utf8Line(f->headResistance);
  d.headOpen = f->headOpen == "1";
  auto head = temperature(f->headTemperature);
  auto ambient = temperature(f->ambientTemperature);
  if (!head || !ambient) return std::nullopt;
  d.headTemperatureTenths = *head;
  d.ambientTemperatureTenths = *ambient;
  d.statusUnavailable = f->statusFailure == "1";
  d.paperStopPosition = f->statusChars.empty() ? 0 : f->statusChars.back() - '0';
  d.cutDoorSensor = intOr0(f->cutDoorSensor);
  d.deviceControllerVersion = intOr0(f->deviceControllerVersion);
  d.headWarningKm = intOr0(f->headWarningKm);
  std::optional<uint64_t> label, body;
  if (f->labelDistanceShape) label = distance(f->labelKm, f->labelM, f->labelMm);
  if (f->bodyDistanceShape) body = distance(f->bodyKm, f->bodyM, f->bodyMm);
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
    status.details = parseStatusLine(readStatusLine(printer));
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
