// The label job options a client sets through IPP (media type and tracking, print speed,
// print darkness) and the printer's configured label mode, turned into the print
// conditions the module sends with each label.
#pragma once

#include <pappl/pappl.h>

#include <string>

#include "label_job.h"

namespace nypr::app {

// Media types: "labels" prints direct thermal, "labels-thermal-transfer" with a ribbon.
inline constexpr const char* kDirectThermal = "labels";
inline constexpr const char* kThermalTransfer = "labels-thermal-transfer";

struct LabelConditions {
  int speed = 0;     // mm/s (0: the printer's default)
  int darkness = 0;  // 1..99; 0: the most the printer allows at this speed
  int gapTenths = 30;
  bool markSensing = false;
  bool thermalTransfer = false;
  bool peel = false;
  bool cutEveryLabel = false;
  bool cutAfterJob = false;
};

// The conditions of a job; false with `error` set when the printer cannot print them.
bool jobConditions(const pappl_pr_options_t& options, pappl_label_mode_t mode,
                   LabelConditions& conditions, std::string& error);

// Puts the conditions into the label the job runner prints.
void applyConditions(const LabelConditions& conditions, host::LabelJob& label);

// The options the printer offers: media types, tracking, label modes, speeds, darkness.
void describeOptions(pappl_pr_driver_data_t& data);

}  // namespace nypr::app
