// The head-break check: the printer tests the heating elements between two dot positions
// and reports the broken ones.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "core/host_api.h"
#include "core/slots.h"
#include "discovery/setup_context.h"
#include "link/aux_channel.h"
#include "platform/ui.h"
#include "resources/strings.h"
#include "status/error_text.h"
#include "ui/dialog_procs.h"

namespace nypr {
namespace {

using namespace platform;

constexpr char kTemplate[] = "DIALOG_HEAD_EXPIRE";

constexpr int kStartPosition = 6072;
constexpr int kStopPosition = 6073;

// The head's dots are numbered 1..960.
constexpr int kFirstDot = 1;
constexpr int kLastDot = 960;

constexpr uint32_t kWarningCaption = 60014;
constexpr uint32_t kPositionName = 60680;
constexpr uint32_t kBrokenCountText = 60681;
constexpr uint32_t kBrokenPositionText = 60682;

constexpr size_t kRequestSize = 20;
constexpr size_t kAnswerSize = 217;
constexpr size_t kCountPos = 15;
constexpr size_t kFirstDotPos = 17;
constexpr size_t kDotFieldLen = 4;
// Dot positions that the answer has room for.
constexpr int kMaxListed = static_cast<int>((kAnswerSize - kFirstDotPos) / kDotFieldLen);
// Entries per line of the result.
constexpr int kEntriesPerLine = 5;

SetupCtxST* g_headCheckContext = nullptr;

std::optional<int> readDigits(const char* field, size_t length) {
  int value = 0;
  for (size_t i = 0; i < length; ++i) {
    if (field[i] < '0' || field[i] > '9') return std::nullopt;
    value = value * 10 + (field[i] - '0');
  }
  return value;
}

void showResult(NyHwnd dialog, const std::vector<int>& dots) {
  const int count = static_cast<int>(dots.size());
  char line[256];
  std::snprintf(line, sizeof line, "%s%d\r\n", moduleStringCp932(kBrokenCountText).c_str(), count);
  std::string message = line;
  if (count <= 0) {
    NyMessageBox(dialog, message.c_str(), "", NY_MB_OK);
    return;
  }
  const std::string entryText = moduleStringCp932(kBrokenPositionText);
  for (int i = 1; i <= count; ++i) {
    std::snprintf(line, sizeof line, "%s%d:%ddot", entryText.c_str(), i,
                  dots[static_cast<size_t>(i - 1)]);
    message += line;
    if (i < count) message += i % kEntriesPerLine == 0 ? "\r\n" : "\t";
  }
  messageBeep(BeepKind::Error);
  NyMessageBox(dialog, message.c_str(), moduleStringCp932(kWarningCaption).c_str(),
               NY_MB_ICONWARNING);
}

// Returns whether the command was handled (a failed check is reported as not handled).
bool runHeadCheck(NyHwnd dialog) {
  bool startRead = false;
  bool stopRead = false;
  const int64_t start = getDlgItemInt(dialog, kStartPosition, &startRead, false);
  const int64_t stop = getDlgItemInt(dialog, kStopPosition, &stopRead, false);
  const auto inRange = [](bool read, int64_t v) { return read && v >= kFirstDot && v <= kLastDot; };
  if (!inRange(startRead, start) || !inRange(stopRead, stop)) {
    ShowParamRangeErrorFnV(kPositionName, kFirstDot, kLastDot);
    return true;
  }
  char request[kRequestSize + 1] = {};
  std::snprintf(request + 8, sizeof request - 8, "%04d%04d0020",
                static_cast<int>(std::min(start, stop)), static_cast<int>(std::max(start, stop)));
  char answer[kAnswerSize] = {};
  PrinterSlot* slot = &stKtRSE[contextSlotIndex(g_headCheckContext)];
  if (!SE_HeadCheckFnBL(slot, request, answer, kKindKt3600r)) {
    SE_ShowErrorFnI(dialog, slot);
    return false;
  }
  const std::optional<std::vector<int>> dots = headCheckBrokenDots(answer);
  if (!dots) {
    slot->dwLastError = kErrWrongAnswer;
    SE_ShowErrorFnI(dialog, slot);
    return false;
  }
  showResult(dialog, *dots);
  return true;
}

}  // namespace

std::optional<std::vector<int>> headCheckBrokenDots(const char* answer) {
  const std::optional<int> count = readDigits(answer + kCountPos, 2);
  if (!count || *count > kMaxListed) return std::nullopt;
  std::vector<int> dots;
  for (int i = 0; i < *count; ++i) {
    const std::optional<int> dot =
        readDigits(answer + kFirstDotPos + static_cast<size_t>(i) * kDotFieldLen, kDotFieldLen);
    if (!dot) return std::nullopt;
    dots.push_back(*dot);
  }
  return dots;
}

intptr_t NYPR_STDCALL HeadCheckDlgProc(NyHwnd dialog, uint32_t message, uintptr_t wParam,
                                       intptr_t lParam) {
  switch (message) {
    case kMsgInitDialog:
      LoadDialogItemsExFnV(kTemplate, dialog, kTextSection);
      g_headCheckContext = reinterpret_cast<SetupCtxST*>(lParam);
      CenterDialogFnV(dialog,
                      g_headCheckContext != nullptr ? g_headCheckContext->hWndOwner : nullptr);
      return 1;
    case kMsgDestroy:
      g_headCheckContext = nullptr;
      return 0;
    case kMsgCommand:
      switch (commandId(wParam)) {
        case kIdOk:
          return runHeadCheck(dialog) ? 1 : 0;
        case kIdCancel:
          endDialog(dialog, 1);
          return 1;
        default:
          return 0;
      }
    default:
      return 0;
  }
}

}  // namespace nypr
