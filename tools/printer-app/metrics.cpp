#include "metrics.h"

#include <cstdio>
#include <functional>
#include <sstream>

#include "driver_reasons.h"

namespace nypr::app {
namespace {

// A label value with backslash, double quote and line feed escaped.
std::string labelValue(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\' || c == '"') {
      out += '\\';
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}

std::string labels(const PrinterMetrics& p) {
  return "printer=\"" + labelValue(p.name) + "\",address=\"" + labelValue(p.address) + "\"";
}

std::string number(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.10g", value);
  return text;
}

}  // namespace

std::string renderMetrics(const std::vector<PrinterMetrics>& printers) {
  std::ostringstream out;
  auto family = [&](const char* name, const char* type, const char* help,
                    const std::function<void(const PrinterMetrics&)>& each) {
    out << "# HELP " << name << ' ' << help << "\n# TYPE " << name << ' ' << type << '\n';
    for (const PrinterMetrics& p : printers) each(p);
  };
  auto series = [&](const char* name, const PrinterMetrics& p, double value) {
    out << name << '{' << labels(p) << "} " << number(value) << '\n';
  };
  family("kt3600r_printer_state", "gauge", "IPP printer-state (3 idle, 4 processing, 5 stopped).",
         [&](const PrinterMetrics& p) { series("kt3600r_printer_state", p, p.state); });
  family("kt3600r_printer_up", "gauge", "1 when the printer answered its last status query.",
         [&](const PrinterMetrics& p) { series("kt3600r_printer_up", p, p.answered ? 1 : 0); });
  family("kt3600r_printer_reason", "gauge", "1 while the printer-state reason is raised.",
         [&](const PrinterMetrics& p) {
           for (int bit = 0; bit < host::kReasonCount; ++bit) {
             const uint32_t reason = 1u << bit;
             out << "kt3600r_printer_reason{" << labels(p) << ",reason=\""
                 << host::reasonKeyword(reason) << "\"} " << ((p.reasons & reason) ? 1 : 0) << '\n';
           }
         });
  family("kt3600r_last_error_code", "gauge", "The driver's last error code (0: none).",
         [&](const PrinterMetrics& p) { series("kt3600r_last_error_code", p, p.lastErrorCode); });
  // The printer's own readings, only when its status line was read.
  auto detail = [&](const char* name, const char* help, double (*value)(const host::StatusDetails&),
                    bool needDistances) {
    family(name, "gauge", help, [&](const PrinterMetrics& p) {
      if (p.haveDetails && (!needDistances || p.details.haveDistances))
        series(name, p, value(p.details));
    });
  };
  detail(
      "kt3600r_head_temperature_celsius", "Print head temperature.",
      [](const host::StatusDetails& d) { return d.headTemperatureTenths / 10.0; }, false);
  detail(
      "kt3600r_ambient_temperature_celsius", "Ambient temperature.",
      [](const host::StatusDetails& d) { return d.ambientTemperatureTenths / 10.0; }, false);
  detail(
      "kt3600r_label_travel_meters", "Label run distance under the print head.",
      [](const host::StatusDetails& d) { return static_cast<double>(d.labelTravelMm) / 1000.0; },
      true);
  detail(
      "kt3600r_body_travel_meters", "Printer body run distance.",
      [](const host::StatusDetails& d) { return static_cast<double>(d.bodyTravelMm) / 1000.0; },
      true);
  detail(
      "kt3600r_head_warning_distance_meters", "Head-break warning distance.",
      [](const host::StatusDetails& d) { return d.headWarningKm * 1000.0; }, true);
  family("kt3600r_labels_printed_total", "counter", "Labels the printer reported as issued.",
         [&](const PrinterMetrics& p) {
           series("kt3600r_labels_printed_total", p, static_cast<double>(p.labelsPrinted));
         });
  family("kt3600r_jobs_completed_total", "counter", "Jobs whose every label was reported.",
         [&](const PrinterMetrics& p) {
           series("kt3600r_jobs_completed_total", p, static_cast<double>(p.jobsCompleted));
         });
  family("kt3600r_jobs_aborted_total", "counter", "Jobs aborted or stopped.",
         [&](const PrinterMetrics& p) {
           series("kt3600r_jobs_aborted_total", p, static_cast<double>(p.jobsAborted));
         });
  return out.str();
}

}  // namespace nypr::app
