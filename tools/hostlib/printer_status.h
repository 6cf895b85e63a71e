// A printer's status as the driver reads it: one status query through the module's
// exports (open, ready check, close) and the status line the driver leaves in the host
// INI file, taken apart into numbers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace nypr::host {

// The fields of the driver's status line ("STATUS%02d"), as numbers where they are.
struct StatusDetails {
  int controllerVersion = 0, biosVersion = 0, programVersion = 0,
      deviceControllerVersion = 0;                                                         // x 100
  int gapSensor = 0, markSensor = 0, peelSensor = 0, ribbonSensor = 0, cutDoorSensor = 0;  // %
  std::string headResistance;  // ohm range, UTF-8
  bool headOpen = false;
  int headTemperatureTenths = 0;     // 0.1 degree C
  int ambientTemperatureTenths = 0;  // 0.1 degree C
  bool statusUnavailable = false;
  int paperStopPosition = 0;
  int headWarningKm = 0;  // head-break warning distance
  uint64_t labelTravelMm = 0;
  uint64_t bodyTravelMm = 0;
  bool haveDistances = false;  // false when the distance query failed
};

// The driver's status line ("STATUS%02d" in section "KT3600R Info" of the host INI file)
// as the last status query of printer 1..8 left it (CP932).
std::string readStatusLine(int printer);

// The status line's fields as the driver wrote them (CP932 text), for hosts that show them.
struct StatusFields {
  std::string controllerVersion, biosVersion, programVersion;   // x 100
  std::string gapSensor, markSensor, peelSensor, ribbonSensor;  // %
  std::string headResistance;                                   // ohm range
  std::string headOpen;
  std::string headTemperature, ambientTemperature;  // sign digit, 2 digits, 1 decimal
  std::string statusFailure;
  std::string statusChars;  // last one: paper stop position
  std::string cutDoorSensor;
  std::string deviceControllerVersion;
  std::string statusDigit;
  std::string headWarningKm;
  // "012Km345m678mm": its three numbers (empty when the distance query failed).
  std::string labelKm, labelM, labelMm;
  std::string bodyKm, bodyM, bodyMm;
  bool labelDistanceShape = false, bodyDistanceShape = false;  // the distance of that shape
};

// Splits the status line into its fields; nullopt when it does not have the driver's 19.
std::optional<StatusFields> parseStatusFields(const std::string& cp932Line);

// Takes the status line apart; nullopt when it is empty or not of the driver's shape.
std::optional<StatusDetails> parseStatusLine(const std::string& cp932Line);

struct PrinterStatus {
  bool answered = false;     // the printer answered the status query
  uint32_t reasons = 0;      // Reason bits (driver_reasons.h)
  uint32_t errorCode = 0;    // the driver's code for what is wrong, 0 when ready
  std::string errorMessage;  // its message, UTF-8
  std::optional<StatusDetails> details;
};

// Queries printer 1..8 once (its settings come from the host INI file). Blocks for at
// most the driver's connection and answer time-outs. The caller keeps other use of the
// same printer away meanwhile.
PrinterStatus readPrinterStatus(int printer);

}  // namespace nypr::host
