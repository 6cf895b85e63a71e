// The status line the driver writes after each status query ("STATUS%02d" in the host
// INI file), taken apart for people (a table) and programs (JSON).
#pragma once

#include <optional>
#include <string>

namespace ktprint {

struct StatusView {
  std::string controllerVersion, biosVersion, programVersion;   // x 100
  std::string gapSensor, markSensor, peelSensor, ribbonSensor;  // %
  std::string headResistance;                                   // ohm range (CP932 text)
  std::string headOpen;
  std::string headTemperature, ambientTemperature;  // sign digit, 2 digits, 1 decimal
  std::string statusFailure;
  std::string statusChars;  // last one: paper stop position
  std::string cutDoorSensor;
  std::string deviceControllerVersion;
  std::string statusDigit;
  std::string headWarningKm;
  std::string labelKm, labelM, labelMm;
  std::string bodyKm, bodyM, bodyMm;
};

// Takes the line apart; nullopt when it is empty or not of the driver's shape.
std::optional<StatusView> parseStatusLine(const std::string& line);

// A readable table with names and units, in the terminal's encoding.
std::string renderStatusTable(const StatusView& view);
// One JSON object (UTF-8).
std::string renderStatusJson(const StatusView& view);

// A JSON string literal of UTF-8 text, quoted and escaped.
std::string jsonString(const std::string& utf8);

}  // namespace ktprint
