// The test print: the printer prints one of its own patterns, and the dialog follows the
// job on the finish connection until it ends, fails or is stopped.
#include <cstdio>
#include <cstring>

#include "core/host_api.h"
#include "core/slots.h"
#include "discovery/setup_context.h"
#include "driver/printing.h"
#include "link/commands.h"
#include "link/connection.h"
#include "platform/clock.h"
#include "platform/ui.h"
#include "status/error_text.h"
#include "ui/dialog_procs.h"

namespace nypr {
namespace {

using namespace platform;

constexpr char kTemplate[] = "DIALOG_KT36R_TESTPRT";

constexpr int kFirstPattern = 6075;
constexpr int kLastPattern = 6081;
constexpr int kFirstPosition = 6082;
constexpr int kLastPosition = 6085;
constexpr int kNormalIssue = 6086;
constexpr int kLastIssueForm = 6088;
constexpr int kLabelCount = 6089;
constexpr int kStopButton = 6096;

constexpr uint32_t kLabelCountName = 60655;  // "発行枚数"
constexpr int kMinLabels = 0;                // the printer takes "0000" as it takes any count
constexpr int kMaxLabels = 9999;             // four digits on the wire

constexpr int kNoTestPrint = -1;
constexpr int kFormNormal = 0;
// A normal issue is followed this long; after a stop the printer gets this long to end.
constexpr uint32_t kNormalIssueLimitMs = 10000;
constexpr uint32_t kStopGraceMs = 5000;

constexpr size_t kRequestSize = 15;

SetupCtxST* g_testPrintContext = nullptr;
// Issue form of the running test print, kNoTestPrint when none runs.
int g_testPrintForm = kNoTestPrint;
bool g_testPrintStopRequested = false;
uint32_t g_testPrintStopTick = 0;

uint8_t contextPrinterNo() {
  return static_cast<uint8_t>(contextSlotIndex(g_testPrintContext) + 1);
}

// Index of the first checked button of first..last, 0 when none is.
int checkedIndex(NyHwnd dialog, int first, int last) {
  for (int id = first; id <= last; ++id) {
    if (isDlgButtonChecked(dialog, id) == 1) return id - first;
  }
  return 0;
}

bool endsFollowing(int result) {
  return result == kFinishFailed || result == kStoppedByPrinter || result == kPrinterError998;
}

// Follows the running test print until it ends. Window messages keep running between
// polls so that the stop button is served.
void followTestPrint(NyHwnd dialog, uint8_t slotIndex) {
  PrinterSlot& slot = stKtRSE[slotIndex];
  const uint8_t printerNo = static_cast<uint8_t>(slotIndex + 1);
  const uint32_t start = tickCount();
  for (;;) {
    DoEventsFnV(dialog, 100);
    if (!isWindow(dialog)) break;
    uint16_t remaining = 0;
    const int result = isPrintFinished(printerNo, &remaining, slot.AutoPeelUB, 0);
    if (endsFollowing(result)) break;
    // Checked before the peeler wait: a stopped job must end even while a label waits.
    if (g_testPrintStopRequested && tickCount() - g_testPrintStopTick >= kStopGraceMs) break;
    if (slot.AutoPeelUB != 0 && result == kLabelAtPeeler) continue;
    if (g_testPrintForm == kFormNormal) {
      if (result == kFinished) break;
      if (tickCount() - start >= kNormalIssueLimitMs) break;
    }
  }
}

void startTestPrint(NyHwnd dialog) {
  enableDlgItem(dialog, kIdOk, false);
  enableDlgItem(dialog, kIdCancel, false);
  if (g_testPrintForm != kNoTestPrint) return;  // the running one re-enables the buttons
  g_testPrintStopRequested = false;

  const int pattern = checkedIndex(dialog, kFirstPattern, kLastPattern);
  const int position = checkedIndex(dialog, kFirstPosition, kLastPosition);
  const int form = checkedIndex(dialog, kNormalIssue, kLastIssueForm);
  bool read = false;
  const int64_t labels = getDlgItemInt(dialog, kLabelCount, &read, false);
  const uint8_t slotIndex = contextSlotIndex(g_testPrintContext);
  PrinterSlot& slot = stKtRSE[slotIndex];

  if (!read || labels < kMinLabels || labels > kMaxLabels) {
    ShowParamRangeErrorFnV(kLabelCountName, kMinLabels, kMaxLabels);
  } else {
    // The finish connection is opened ahead; when that fails the test print still goes
    // out, and the poll that follows it opens the connection itself (or reports why not).
    KT36R_CreateSocket(slotIndex, 0, 1);
    forgetFinishReportHead(slotIndex);
    g_testPrintForm = form;
    char request[kRequestSize + 1] = {};
    std::snprintf(request + 8, sizeof request - 8, "%d%d%d%04d", pattern, position, form,
                  static_cast<int>(labels));
    if (!KtTestPrintFnBL(slotIndex, request)) {
      ShowPrinterErrorFnI(dialog, slotIndex);
    } else {
      g_TestPrintFlag = 1;
      followTestPrint(dialog, slotIndex);
      g_TestPrintFlag = 0;
      if (slot.dwLastError != 0 && slot.dwLastError != kNoError) {
        ShowPrinterErrorFnI(dialog, slotIndex);
      }
    }
  }
  g_testPrintForm = kNoTestPrint;
  enableDlgItem(dialog, kIdOk, true);
  enableDlgItem(dialog, kIdCancel, true);
}

void requestStop() {
  stopPrint(contextPrinterNo());
  g_testPrintStopTick = tickCount();
  g_testPrintStopRequested = true;
}

}  // namespace

intptr_t NYPR_STDCALL TestPrintDlgProc(NyHwnd dialog, uint32_t message, uintptr_t wParam,
                                       intptr_t lParam) {
  switch (message) {
    case kMsgInitDialog:
      LoadDialogItemsExFnV(kTemplate, dialog, kTextSection);
      g_testPrintContext = reinterpret_cast<SetupCtxST*>(lParam);
      CenterDialogFnV(dialog,
                      g_testPrintContext != nullptr ? g_testPrintContext->hWndOwner : nullptr);
      checkRadioButton(dialog, kFirstPattern, kLastPattern, kFirstPattern);
      checkRadioButton(dialog, kFirstPosition, kLastPosition, kFirstPosition);
      checkRadioButton(dialog, kNormalIssue, kLastIssueForm, kNormalIssue);
      setDlgItemInt(dialog, kLabelCount, 1, false);
      return 1;
    case kMsgDestroy:
      g_testPrintContext = nullptr;
      return 0;
    case kMsgCommand:
      switch (commandId(wParam)) {
        case kIdOk:
          startTestPrint(dialog);
          return 1;
        case kStopButton:
          requestStop();
          return 1;
        case kNormalIssue:
          enableDlgItem(dialog, kLabelCount, true);
          return 1;
        case kNormalIssue + 1:
        case kLastIssueForm:
          // The continuous forms issue until stopped: the count plays no part.
          enableDlgItem(dialog, kLabelCount, false);
          return 1;
        case kIdCancel:
          if (g_testPrintForm != kNoTestPrint) return 1;  // never leave a job unfollowed
          KT36R_CloseSocket(contextSlotIndex(g_testPrintContext), 1);
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
