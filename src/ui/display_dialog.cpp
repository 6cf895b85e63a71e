// The status display: the printer's live status every 1.5 seconds, the label and printer
// body run distances with the head-break warning distance, and the cutter's count.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>

#include "core/host_api.h"
#include "core/slots.h"
#include "link/commands.h"
#include "link/frame.h"
#include "platform/profile.h"
#include "platform/text.h"
#include "platform/ui.h"
#include "resources/strings.h"
#include "settings/printer_settings.h"
#include "status/error_text.h"
#include "status/printer_status.h"
#include "ui/command_guard.h"
#include "ui/dialog_procs.h"

namespace nypr {
namespace {

using namespace platform;

constexpr char kTemplate[] = "DIALOG_DISPLAY";
constexpr char kInfoSection[] = "KT3600R Info";
constexpr uintptr_t kStatusTimer = 2;
constexpr uint32_t kStatusFirstMs = 1;
constexpr uint32_t kStatusMs = 1500;

enum : int {
  kGapSensor = 6703,
  kMarkSensor = 6704,
  kPeelSensor = 6702,
  kRibbonSensor = 6701,
  kCutDoorSensor = 6705,
  kLabelDistance = 6606,
  kWarningDistance = 6601,
  kBodyDistance = 6607,
  kSetWarning = 6620,
  kClearLabelDistance = 6619,
  kAmbientTemperature = 6614,
  kErrorCode = 6615,
  kControllerVersion = 6602,
  kBiosVersion = 6616,
  kProgramVersion = 6617,
  kDeviceVersion = 6622,
  kHeadState = 6605,
  kHeadResistance = 6604,
  kHeadTemperature = 6603,
  kResetCutCount = 6073,
  kPaperStop = 6618,
};

// Strings.
constexpr uint32_t kHeadOpenText = 60003;
constexpr uint32_t kHeadClosedText = 60004;
constexpr uint32_t kHeadRangeBase = 59957;  // + '0'..'7': 60005..60012
constexpr uint32_t kPaperStopBase = 59969;  // + '0'..'6': 60017..60023
constexpr uint32_t kBodyShorterQuestion = 60025;
constexpr uint32_t kRecordBodyQuestion = 60026;
constexpr uint32_t kHeadBreakWarning = 60410;
constexpr uint32_t kClearQuestion = 60411;
constexpr uint32_t kResetCountQuestion = 50051;  // the host's text

constexpr int16_t kQuestion = 0;
constexpr int16_t kNotice = 2;

// LRS request and reply.
constexpr int kLrsRequestLen = 22;
constexpr int kLrsReplyLen = 32;
constexpr char kLrsRead = '0';
constexpr char kLrsSetWarning = '1';
constexpr char kLrsClearLabel = '2';
constexpr int kWarningMin = 1;
constexpr int kWarningMax = 250;
constexpr uint64_t kMmPerKm = 1000000;
// Three digits each of km, m and mm.
constexpr uint64_t kLargestDistanceMm = 999999999;

constexpr int kCutRead = 0;
constexpr int kCutResetCount = 4;

// The context of the open display dialog.
SetupCtxST* g_displayContext = nullptr;
// Commands of the open dialog still running (its timer waits for them).
CommandGuard g_commands;

struct RunDistances {
  int warningKm = 0;
  int labelKm = 0;
  int labelM = 0;
  int labelMm = 0;
  uint64_t labelTotalMm = 0;
  uint64_t bodyTotalMm = 0;
};

uint64_t threePartMm(const char* field) {
  return static_cast<uint64_t>(KtReadNumber(field, 3)) * kMmPerKm +
         static_cast<uint64_t>(KtReadNumber(field + 3, 3)) * 1000u +
         static_cast<uint64_t>(KtReadNumber(field + 6, 3));
}

RunDistances parseDistances(const char* reply) {
  RunDistances d;
  d.warningKm = KtReadNumber(reply + 9, 3);
  d.labelKm = KtReadNumber(reply + 12, 3);
  d.labelM = KtReadNumber(reply + 15, 3);
  d.labelMm = KtReadNumber(reply + 18, 3);
  d.labelTotalMm = threePartMm(reply + 12);
  d.bodyTotalMm = threePartMm(reply + 22);
  return d;
}

// One LRS exchange; `bodyMm` (when not null) is a body run distance for the printer.
bool exchangeDistances(uint8_t index, char mode, int warningKm, const uint64_t* bodyMm,
                       char* reply) {
  char request[kLrsRequestLen + 1] = {};
  std::memset(request, '0', kLrsRequestLen);
  request[8] = mode;
  char text[16];
  std::snprintf(text, sizeof text, "%03d", std::clamp(warningKm, 0, 999));
  std::memcpy(request + 9, text, 3);
  if (bodyMm != nullptr) {
    const uint64_t mm = std::min(*bodyMm, kLargestDistanceMm);
    request[12] = '1';
    std::snprintf(text, sizeof text, "%03u%03u%03u", static_cast<unsigned>(mm / kMmPerKm),
                  static_cast<unsigned>(mm / 1000u % 1000u), static_cast<unsigned>(mm % 1000u));
    std::memcpy(request + 13, text, 9);
  }
  return KtGetHeadDistanceFnBL(index, request, reply) != 0;
}

std::string kmText(uint64_t mm) {
  char text[32];
  std::snprintf(text, sizeof text, "%f", static_cast<double>(mm) / static_cast<double>(kMmPerKm));
  return text;
}

// A module text whose "%f" places take the given distances in km, in order. The text is
// data, so it is never handed to printf as a format.
std::string withDistances(uint32_t id, std::initializer_list<uint64_t> distancesMm) {
  const std::string pattern = moduleStringCp932(id);
  std::string out;
  auto next = distancesMm.begin();
  for (size_t i = 0; i < pattern.size(); ++i) {
    const unsigned char ch = static_cast<unsigned char>(pattern[i]);
    if (isCp932LeadByte(ch) && i + 1 < pattern.size()) {
      out += pattern[i];
      out += pattern[++i];
    } else if (ch == '%' && i + 1 < pattern.size() && pattern[i + 1] == 'f' &&
               next != distancesMm.end()) {
      out += kmText(*next++);
      ++i;
    } else {
      out += pattern[i];
    }
  }
  return out;
}

// A question in the driver's own text: no host message id goes with it.
bool askYes(NyHwnd dialog, const std::string& text) {
  return ConfirmMessageFnSW(dialog, 0, text.c_str(), kQuestion) == NY_IDYES;
}

std::string bodyKey(uint8_t index) {
  char key[16];
  std::snprintf(key, sizeof key, "PRTDIST%02u", static_cast<unsigned>(index));
  return key;
}

// The body run distance last accepted for this printer, in mm. A value that no printer
// could hold is treated as never recorded: sending it back would not fit the request.
uint64_t storedBodyMm(uint8_t index) {
  const uint32_t stored =
      static_cast<uint32_t>(profileReadInt(hostIniPath(), kInfoSection, bodyKey(index).c_str(), 0));
  return stored <= kLargestDistanceMm ? stored : 0;
}

void showText(NyHwnd dialog, int id, const std::string& text) {
  setDlgItemText(dialog, id, text.c_str());
}

// Three status characters as the reading they hold.
void showReading(NyHwnd dialog, int id, const char* block, int pos) {
  setDlgItemInt(dialog, id, KtReadNumber(block + pos, 3), false);
}

void showVersion(NyHwnd dialog, int id, const char* block, int pos) {
  char text[16];
  std::snprintf(text, sizeof text, "%0.2f", KtReadNumber(block + pos, 3) / 100.0);
  showText(dialog, id, text);
}

char digitOrZero(char ch) {
  return ch >= '0' && ch <= '9' ? ch : '0';
}

// Sign character ("0" positive), two digits and the tenths digit, shown as " 25.3".
void showTemperature(NyHwnd dialog, int id, const char* block, int pos) {
  const char text[] = {block[pos] == '0' ? ' ' : '-', digitOrZero(block[pos + 1]),
                       digitOrZero(block[pos + 2]),   '.',
                       digitOrZero(block[pos + 3]),   '\0'};
  showText(dialog, id, text);
}

void showStatus(NyHwnd dialog, const char* block) {
  showReading(dialog, kGapSensor, block, 20);
  showReading(dialog, kMarkSensor, block, 23);
  showReading(dialog, kPeelSensor, block, 26);
  showReading(dialog, kRibbonSensor, block, 29);
  showReading(dialog, kCutDoorSensor, block, 46);
  showTemperature(dialog, kAmbientTemperature, block, 38);
  showReading(dialog, kErrorCode, block, 17);
  showVersion(dialog, kControllerVersion, block, 8);
  showVersion(dialog, kBiosVersion, block, 11);
  showVersion(dialog, kProgramVersion, block, 14);
  showVersion(dialog, kDeviceVersion, block, 49);
  showText(dialog, kHeadState,
           moduleStringCp932(block[33] == '1' ? kHeadOpenText : kHeadClosedText));
  const char rank =
      block[kStatusHeadRank] >= '0' && block[kStatusHeadRank] <= '7' ? block[kStatusHeadRank] : '0';
  showText(dialog, kHeadResistance, moduleStringCp932(kHeadRangeBase + static_cast<uint8_t>(rank)));
  showTemperature(dialog, kHeadTemperature, block, 34);
  const char stop = block[kStatusPaperStop] >= '0' && block[kStatusPaperStop] <= '6'
                        ? block[kStatusPaperStop]
                        : '0';
  showText(dialog, kPaperStop, moduleStringCp932(kPaperStopBase + static_cast<uint8_t>(stop)));
}

void refreshStatus(NyHwnd dialog) {
  killTimer(dialog, kStatusTimer);
  const uint8_t index = contextSlotIndex(g_displayContext);
  char block[kStatusBlockLen + 1] = {};
  if (GetPrinterStatusFnBL(index, block)) {
    showStatus(dialog, block);
  } else {
    ShowPrinterErrorFnI(focusWindow(), index);
  }
  setTimer(dialog, kStatusTimer, kStatusMs);
}

void setWarningDistance(NyHwnd dialog) {
  const uint8_t index = contextSlotIndex(g_displayContext);
  const int km =
      std::clamp<int>(GetDlgItemIntFnSW(dialog, kWarningDistance, 1), kWarningMin, kWarningMax);
  char reply[kLrsReplyLen + 1] = {};
  if (!exchangeDistances(index, kLrsSetWarning, km, nullptr, reply)) {
    ShowPrinterErrorFnI(focusWindow(), index);
  }
}

void clearLabelDistance(NyHwnd dialog) {
  if (!askYes(dialog, moduleStringCp932(kClearQuestion))) return;
  const uint8_t index = contextSlotIndex(g_displayContext);
  char reply[kLrsReplyLen + 1] = {};
  if (!exchangeDistances(index, kLrsClearLabel, 1, nullptr, reply)) {
    ShowPrinterErrorFnI(focusWindow(), index);
    return;
  }
  const RunDistances d = parseDistances(reply);
  setDlgItemInt(dialog, kWarningDistance, d.warningKm, false);
  showText(dialog, kLabelDistance, kmText(d.labelTotalMm));
}

void resetCutCount(NyHwnd dialog) {
  if (ConfirmMessageFnSW(dialog, kResetCountQuestion, nullptr, kQuestion) != NY_IDYES) return;
  ShowCutPositionFnBL(dialog, kCutResetCount, contextSlotIndex(g_displayContext));
}

}  // namespace

void ShowRunDistancesFnV(NyHwnd dialog, uint8_t printerIndex) {
  if (!isValidSlotIndex(printerIndex)) return;
  char reply[kLrsReplyLen + 1] = {};
  if (!exchangeDistances(printerIndex, kLrsRead, 1, nullptr, reply)) {
    ShowPrinterErrorFnI(focusWindow(), printerIndex);
    return;
  }
  RunDistances d = parseDistances(reply);
  setDlgItemInt(dialog, kWarningDistance, d.warningKm, false);
  showText(dialog, kLabelDistance, kmText(d.labelTotalMm));

  if (d.labelKm > d.warningKm || (d.labelKm == d.warningKm && (d.labelM != 0 || d.labelMm != 0))) {
    ConfirmMessageFnSW(dialog, 0, moduleStringCp932(kHeadBreakWarning).c_str(), kNotice);
  }

  // Whole millimetres on both sides: the printer counts in them, and the recorded value
  // is written in them, so no rounding can make equal distances differ.
  const uint64_t recordedMm = storedBodyMm(printerIndex);
  uint64_t bodyMm = d.bodyTotalMm;
  if (bodyMm < recordedMm) {
    if (askYes(dialog, withDistances(kBodyShorterQuestion, {recordedMm, bodyMm}))) {
      if (!exchangeDistances(printerIndex, kLrsRead, 1, &recordedMm, reply)) {
        ShowPrinterErrorFnI(focusWindow(), printerIndex);
        return;
      }
      std::memset(reply, 0, sizeof reply);
      if (!exchangeDistances(printerIndex, kLrsRead, 1, nullptr, reply)) {
        ShowPrinterErrorFnI(focusWindow(), printerIndex);
        return;
      }
      bodyMm = parseDistances(reply).bodyTotalMm;
    } else if (!askYes(dialog, withDistances(kRecordBodyQuestion, {bodyMm}))) {
      showText(dialog, kBodyDistance, kmText(recordedMm));
      return;
    }
  }
  char value[24];
  std::snprintf(value, sizeof value, "%lu", static_cast<unsigned long>(bodyMm));
  profileWriteString(hostIniPath(), kInfoSection, bodyKey(printerIndex).c_str(), value);
  showText(dialog, kBodyDistance, kmText(bodyMm));
}

intptr_t NYPR_STDCALL DisplayDlgProc(NyHwnd dialog, uint32_t message, uintptr_t wParam,
                                     intptr_t lParam) {
  switch (message) {
    case kMsgInitDialog:
      LoadDialogItemsExFnV(kTemplate, dialog, kTextSection);
      if (lParam != 0) g_displayContext = reinterpret_cast<SetupCtxST*>(lParam);
      CenterDialogFnV(dialog, g_displayContext != nullptr ? g_displayContext->hWndOwner : nullptr);
      ShowRunDistancesFnV(dialog, contextSlotIndex(g_displayContext));
      ShowCutPositionFnBL(dialog, kCutRead, contextSlotIndex(g_displayContext));
      setTimer(dialog, kStatusTimer, kStatusFirstMs);
      return 1;
    case kMsgTimer:
      if (wParam == kStatusTimer && g_commands.idle()) refreshStatus(dialog);
      return 0;
    case kMsgCommand: {
      const CommandGuard::Scope running(g_commands);
      switch (commandId(wParam)) {
        case kSetWarning:
          setWarningDistance(dialog);
          return 1;
        case kClearLabelDistance:
          clearLabelDistance(dialog);
          return 1;
        case kResetCutCount:
          resetCutCount(dialog);
          return 1;
        case kIdCancel:
          killTimer(dialog, kStatusTimer);
          endDialog(dialog, 0);
          return 1;
        default:
          return 0;
      }
    }
    default:
      return 0;
  }
}

}  // namespace nypr
