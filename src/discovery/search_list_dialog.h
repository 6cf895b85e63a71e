// The printer search list dialog: runs the search when it opens, lists every printer that
// answered and lets the user pick one of this driver's model.
#pragma once

#include <cstdint>

#include "discovery/setup_context.h"
#include "nyprkt3600r/platform_types.h"

namespace nypr {

inline constexpr char kSearchListTemplate[] = "DIALOG_SEARCHKT_LIST";
inline constexpr int kSearchListControl = 1038;

// Row of stFoundPrinter last picked in the list, -1 for none. The setup dialog reads it
// after the list dialog has returned.
extern int nSearchSel;

// Dialog procedure of the list; the creation parameter is the setup context (or null,
// which keeps the context remembered from before).
intptr_t NYPR_STDCALL SearchKtListDlgProc(NyHwnd dialog, uint32_t message, uintptr_t wParam,
                                          intptr_t lParam);

// Runs the list dialog modally for `context`: 1 when a printer of this model was picked
// (nSearchSel names its row), 0 on cancel, -1 when the dialog could not be shown.
intptr_t ShowSearchListDialogFnI(SetupCtxST* context);

}  // namespace nypr
