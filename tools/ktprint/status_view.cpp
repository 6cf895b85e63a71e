#include "status_view.h"

#include <cstdio>
#include <sstream>

#include "terminal_text.h"
#include "translation.h"

namespace ktprint {
namespace {

// The driver writes the resistance range with a full-width tilde (CP932 0x81 0x60);
// outside Japanese it reads as the plain one.
std::string asciiTilde(const std::string& cp932) {
  std::string out;
  for (size_t i = 0; i < cp932.size(); ++i) {
    const auto lead = static_cast<unsigned char>(cp932[i]);
    const bool doubleByte = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC);
    if (doubleByte && i + 1 < cp932.size()) {
      if (lead == 0x81 && cp932[i + 1] == '\x60') {
        out += '~';
      } else {
        out.append(cp932, i, 2);
      }
      ++i;
    } else {
      out += cp932[i];
    }
  }
  return out;
}

// "0253" -> "+25.3"; anything else as it stands.
std::string temperature(const std::string& t) {
  if (t.size() != 4) return t;
  return std::string(t[0] == '0' ? "+" : "-") + t.substr(1, 2) + "." + t.substr(3, 1);
}

// "120" (x 100) -> "1.20".
std::string version(const std::string& v) {
  if (v.size() != 3) return v;
  return v.substr(0, 1) + "." + v.substr(1);
}

}  // namespace

std::string jsonString(const std::string& utf8) {
  std::string out = "\"";
  for (unsigned char c : utf8) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string renderStatusTable(const StatusView& v) {
  std::ostringstream out;
  auto row = [&](const char* name, const std::string& value, const char* unit = "") {
    char buf[96];
    std::snprintf(buf, sizeof buf, "  %-28s ", name);
    out << buf << value << unit << "\n";
  };
  std::string paperStop =
      v.statusChars.empty() ? "" : v.statusChars.substr(v.statusChars.size() - 1);
  out << "Versions\n";
  row("controller", version(v.controllerVersion));
  row("BIOS", version(v.biosVersion));
  row("program", version(v.programVersion));
  row("device controller", version(v.deviceControllerVersion));
  out << "Sensors\n";
  row("gap", v.gapSensor, " %");
  row("mark", v.markSensor, " %");
  row("peel", v.peelSensor, " %");
  row("ribbon", v.ribbonSensor, " %");
  row("auto-cutter door", v.cutDoorSensor, " %");
  out << "Head\n";
  row("open", v.headOpen == "1" ? std::string("yes") : std::string("no"));
  row("resistance range",
      toTerminal(driverSpeaksUsersLanguage() ? v.headResistance : asciiTilde(v.headResistance)),
      " ohm");
  row("head temperature", temperature(v.headTemperature), " C");
  row("ambient temperature", temperature(v.ambientTemperature), " C");
  out << "State\n";
  row("status unavailable", v.statusFailure == "1" ? std::string("yes") : std::string("no"));
  row("paper stop position", paperStop);
  out << "Distances\n";
  row("head-break warning", v.headWarningKm, " km");
  row("label travel", v.labelKm + " km " + v.labelM + " m " + v.labelMm + " mm");
  row("body travel", v.bodyKm + " km " + v.bodyM + " m " + v.bodyMm + " mm");
  return out.str();
}

std::string renderStatusJson(const StatusView& v) {
  std::ostringstream out;
  std::string paperStop =
      v.statusChars.empty() ? "" : v.statusChars.substr(v.statusChars.size() - 1);
  out << "{";
  out << "\"controllerVersion\":" << jsonString(v.controllerVersion);
  out << ",\"biosVersion\":" << jsonString(v.biosVersion);
  out << ",\"programVersion\":" << jsonString(v.programVersion);
  out << ",\"deviceControllerVersion\":" << jsonString(v.deviceControllerVersion);
  out << ",\"sensors\":{\"gap\":" << jsonString(v.gapSensor)
      << ",\"mark\":" << jsonString(v.markSensor) << ",\"peel\":" << jsonString(v.peelSensor)
      << ",\"ribbon\":" << jsonString(v.ribbonSensor)
      << ",\"cutterDoor\":" << jsonString(v.cutDoorSensor) << "}";
  out << ",\"head\":{\"open\":" << (v.headOpen == "1" ? "true" : "false")
      << ",\"resistanceRange\":" << jsonString(toUtf8(v.headResistance))
      << ",\"temperature\":" << jsonString(temperature(v.headTemperature))
      << ",\"ambientTemperature\":" << jsonString(temperature(v.ambientTemperature)) << "}";
  out << ",\"statusUnavailable\":" << (v.statusFailure == "1" ? "true" : "false");
  out << ",\"statusChars\":" << jsonString(v.statusChars);
  out << ",\"paperStopPosition\":" << jsonString(paperStop);
  out << ",\"statusDigit\":" << jsonString(v.statusDigit);
  out << ",\"distances\":{\"headWarningKm\":" << jsonString(v.headWarningKm)
      << ",\"label\":{\"km\":" << jsonString(v.labelKm) << ",\"m\":" << jsonString(v.labelM)
      << ",\"mm\":" << jsonString(v.labelMm) << "},\"body\":{\"km\":" << jsonString(v.bodyKm)
      << ",\"m\":" << jsonString(v.bodyM) << ",\"mm\":" << jsonString(v.bodyMm) << "}}";
  out << "}\n";
  return out.str();
}

}  // namespace ktprint
