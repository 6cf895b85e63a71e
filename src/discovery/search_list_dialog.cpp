// The printer search list dialog.
#include "discovery/search_list_dialog.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "core/host_api.h"
#include "core/slots.h"
#include "discovery/printer_search.h"
#include "platform/text.h"
#include "platform/ui.h"
#include "status/error_text.h"

namespace nypr {

int nSearchSel = -1;

namespace {

using namespace platform;

constexpr char kTextSection[] = "KT-PRINTER";
// Only printers whose model text starts so are this driver's.
constexpr char kOwnModel[] = "KT-3600";
constexpr size_t kOwnModelLength = sizeof(kOwnModel) - 1;

// The setup context of the current (or last) list dialog.
SetupCtxST* g_searchContext = nullptr;

struct ColumnSpec {
  const char* title;
  int initialWidth;
  // Widths come from the list's font: the wider of two sample texts plus a margin.
  const char* sample;
  const char* minimum;
  int margin;
};

constexpr ColumnSpec kColumns[] = {
    {"機械番号", 100, "機械番号", "***", 26},
    {"IP", 200, "255.255.255.255", "****", 12},
    {"種類", 600, "KT-5200R2 V4.00********************", "****", 12},
};

void fillColumns(NyHwnd list) {
  while (listViewGetColumnCount(list) > 0) {
    if (!listViewDeleteColumn(list, 0)) break;
  }
  int column = 0;
  for (const ColumnSpec& spec : kColumns) {
    std::string title = cp932FromUtf8(spec.title);
    if (listViewInsertColumn(list, column, title.c_str(), spec.initialWidth, kLvcFmtLeft) < 0) {
      printd("ListView_InsertColumn failed.");
      return;
    }
    ++column;
  }
  column = 0;
  for (const ColumnSpec& spec : kColumns) {
    std::string sample = cp932FromUtf8(spec.sample);
    int width = std::max(listViewGetStringWidth(list, sample.c_str()),
                         listViewGetStringWidth(list, spec.minimum));
    listViewSetColumnWidth(list, column++, width + spec.margin);
  }
}

void fillRows(NyHwnd list) {
  listViewDeleteAllItems(list);
  std::memset(stFoundPrinter, 0, sizeof stFoundPrinter);
  int count = 0;
  // A failed search shows as an empty list; its code is not for the user.
  SearchPrinterListFnI(&count, stFoundPrinter);
  nFoundPrinter = std::clamp(count, 0, kFoundPrinterMax);
  for (int i = 0; i < nFoundPrinter; ++i) {
    const FoundPrinterST& p = stFoundPrinter[i];
    int row = listViewInsertItem(list, i, p.szMachineNo);
    if (row < 0) continue;
    listViewSetItemText(list, row, 1, p.szIPAddr);
    listViewSetItemText(list, row, 2, p.szModel);
  }
}

uint8_t contextSlot() {
  uint8_t index = g_searchContext != nullptr ? g_searchContext->PrinterIdxUB : 0;
  return isValidSlotIndex(index) ? index : 0;
}

void choose(NyHwnd dialog) {
  if (nSearchSel < 0 || nSearchSel >= nFoundPrinter) return;
  const FoundPrinterST& p = stFoundPrinter[nSearchSel];
  if (std::strncmp(p.szModel, kOwnModel, kOwnModelLength) != 0) {
    // Another model: say so and let the user pick again. The slot's error code only
    // carries the message to the error box.
    uint8_t slot = contextSlot();
    stKtRSE[slot].dwLastError = kErrOtherKind;
    ShowPrinterErrorFnI(focusWindow(), slot);
    stKtRSE[slot].dwLastError = 0;
    return;
  }
  endDialog(dialog, 1);
}

void onListMouse(NyHwnd dialog, const ListItemActivate* click, bool doubleClick) {
  NyHwnd list = getDlgItem(dialog, kSearchListControl);
  // Hit-test at the row's left edge so that a click in any column hits its row.
  int row = listViewHitTest(list, NyPoint{2, click->action.y});
  if (row >= 0) listViewSelectItem(list, row, true);
  nSearchSel = row;
  if (doubleClick && nSearchSel != -1) choose(dialog);
}

}  // namespace

intptr_t NYPR_STDCALL SearchKtListDlgProc(NyHwnd dialog, uint32_t message, uintptr_t wParam,
                                          intptr_t lParam) {
  switch (message) {
    case kMsgInitDialog: {
      LoadDialogItemsExFnV(kSearchListTemplate, dialog, kTextSection);
      if (lParam != 0) g_searchContext = reinterpret_cast<SetupCtxST*>(lParam);
      CenterDialogFnV(dialog, g_searchContext != nullptr ? g_searchContext->hWndOwner : nullptr);
      NyHwnd list = getDlgItem(dialog, kSearchListControl);
      listViewSetExtendedStyle(list, kLvsExFullRowSelect, kLvsExFullRowSelect);
      fillColumns(list);
      fillRows(list);
      nSearchSel = -1;
      return 1;
    }
    case kMsgNotify: {
      const auto* header = reinterpret_cast<const NotifyHeader*>(lParam);
      if (header == nullptr || header->id != kSearchListControl) return 0;
      if (header->code == kNmClick || header->code == kNmDblClk) {
        onListMouse(dialog, reinterpret_cast<const ListItemActivate*>(lParam),
                    header->code == kNmDblClk);
        return 1;
      }
      return 0;
    }
    case kMsgCommand:
      switch (commandId(wParam)) {
        case kIdOk:
          choose(dialog);
          return 1;
        case kIdCancel:
          nSearchSel = -1;
          endDialog(dialog, 0);
          return 1;
        default:
          return 0;
      }
    default:
      return 0;
  }
}

intptr_t ShowSearchListDialogFnI(SetupCtxST* context) {
  return dialogBoxParam(kSearchListTemplate, context != nullptr ? context->hWndOwner : nullptr,
                        SearchKtListDlgProc, reinterpret_cast<intptr_t>(context));
}

}  // namespace nypr
