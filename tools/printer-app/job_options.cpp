#include "job_options.h"

#include <algorithm>
#include <cstring>

namespace nypr::app {
namespace {

constexpr int kMinSpeed = 70, kMaxSpeed = 150;  // mm/s
constexpr int kMaxPeelSpeed = 100;              // the peeler takes labels up to 100 mm/s
constexpr int kGapTenths = 30;                  // the gap (or mark) between labels

// IPP darkness is 0..100, the printer's 1..99. 100 asks for the most the printer allows
// at the job's speed (its contrast limit), which is also what it prints by default.
int printerDarkness(const pappl_pr_options_t& options) {
  const int level = std::clamp(options.darkness_configured + options.print_darkness, 0, 100);
  if (level >= 100) return 0;
  return std::max(level, 1);
}

}  // namespace

bool jobConditions(const pappl_pr_options_t& options, pappl_label_mode_t mode,
                   LabelConditions& conditions, std::string& error) {
  conditions = LabelConditions{};
  const int speed = options.print_speed / 100;  // hundredths of mm/s
  if (options.print_speed != 0 && (speed < kMinSpeed || speed > kMaxSpeed)) {
    error = "The print speed must be 70 to 150 mm/s.";
    return false;
  }
  conditions.speed = speed;
  conditions.darkness = printerDarkness(options);
  conditions.thermalTransfer = std::strcmp(options.media.type, kThermalTransfer) == 0;
  switch (options.media.tracking) {
    case PAPPL_MEDIA_TRACKING_CONTINUOUS:
      conditions.gapTenths = 0;
      break;
    case PAPPL_MEDIA_TRACKING_MARK:
      conditions.markSensing = true;
      conditions.gapTenths = kGapTenths;
      break;
    default:
      conditions.gapTenths = kGapTenths;
      break;
  }
  conditions.peel = mode == PAPPL_LABEL_MODE_PEEL_OFF;
  conditions.cutEveryLabel = mode == PAPPL_LABEL_MODE_CUTTER;
  conditions.cutAfterJob = mode == PAPPL_LABEL_MODE_CUTTER_DELAYED;
  if (conditions.peel && conditions.speed > kMaxPeelSpeed) {
    error = "Peeling labels needs a print speed of 70 to 100 mm/s.";
    return false;
  }
  return true;
}

void applyConditions(const LabelConditions& conditions, host::LabelJob& label) {
  label.speed = conditions.speed;
  label.darkness = conditions.darkness;
  label.gapTenths = conditions.gapTenths;
  label.markSensing = conditions.markSensing;
  label.thermalTransfer = conditions.thermalTransfer;
  label.peel = conditions.peel;
  label.cutEveryLabel = conditions.cutEveryLabel;
}

void describeOptions(pappl_pr_driver_data_t& data) {
  data.num_type = 2;
  data.type[0] = kDirectThermal;
  data.type[1] = kThermalTransfer;
  data.tracking_supported =
      PAPPL_MEDIA_TRACKING_GAP | PAPPL_MEDIA_TRACKING_MARK | PAPPL_MEDIA_TRACKING_CONTINUOUS;
  data.mode_supported = PAPPL_LABEL_MODE_TEAR_OFF | PAPPL_LABEL_MODE_CUTTER |
                        PAPPL_LABEL_MODE_CUTTER_DELAYED | PAPPL_LABEL_MODE_PEEL_OFF;
  data.mode_configured = PAPPL_LABEL_MODE_TEAR_OFF;
  data.speed_supported[0] = kMinSpeed * 100;  // hundredths of mm/s
  data.speed_supported[1] = kMaxSpeed * 100;
  data.speed_default = 100 * 100;
  data.darkness_supported = 100;
  data.darkness_configured = 100;
  data.darkness_default = 0;
}

}  // namespace nypr::app
