// The printer's own dialogs: one procedure per dialog template, each opened modally with
// platform::dialogBoxParam(templateName, owner, proc, reinterpret_cast<intptr_t>(&ctx))
// where ctx is the SetupCtxST of the dialog that opens it. Each dialog's file implements
// its procedure and its helpers; the others reach it only through this header.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "discovery/setup_context.h"
#include "nyprkt3600r/platform_types.h"

namespace nypr {

// Section of the host's language files that holds this driver's dialog texts.
inline constexpr char kTextSection[] = "KT-PRINTER";

// "DIALOG_KT36R" (texts loaded as "DIALOG_KT3600R"): printer setup. Result 1 after OK.
intptr_t NYPR_STDCALL SetupDlgProc(NyHwnd dialog, uint32_t message, uintptr_t wParam,
                                   intptr_t lParam);
// "DIALOG_MAINTENANCE": maintenance parameters. 1 after "設定", 0 after "取消".
intptr_t NYPR_STDCALL MaintenanceDlgProc(NyHwnd dialog, uint32_t message, uintptr_t wParam,
                                         intptr_t lParam);
// "DIALOG_HIGHLEVEL": high-level parameters. 1 after "設定", 0 after "取消".
intptr_t NYPR_STDCALL HighLevelDlgProc(NyHwnd dialog, uint32_t message, uintptr_t wParam,
                                       intptr_t lParam);
// "DIALOG_SENSOR": sensor sensitivity and cut position. Ends with 0.
intptr_t NYPR_STDCALL SensorDlgProc(NyHwnd dialog, uint32_t message, uintptr_t wParam,
                                    intptr_t lParam);
// "DIALOG_DISPLAY": live printer status and travel distances.
intptr_t NYPR_STDCALL DisplayDlgProc(NyHwnd dialog, uint32_t message, uintptr_t wParam,
                                     intptr_t lParam);
// "DIALOG_KT36R_IP": the printer's network addresses.
intptr_t NYPR_STDCALL IpAddressDlgProc(NyHwnd dialog, uint32_t message, uintptr_t wParam,
                                       intptr_t lParam);
// "DIALOG_KT36R_TEST": hardware test hub, and the three dialogs it opens.
intptr_t NYPR_STDCALL TestHubDlgProc(NyHwnd dialog, uint32_t message, uintptr_t wParam,
                                     intptr_t lParam);
intptr_t NYPR_STDCALL TestPrintDlgProc(NyHwnd dialog, uint32_t message, uintptr_t wParam,
                                       intptr_t lParam);
intptr_t NYPR_STDCALL MotorTestDlgProc(NyHwnd dialog, uint32_t message, uintptr_t wParam,
                                       intptr_t lParam);
intptr_t NYPR_STDCALL HeadCheckDlgProc(NyHwnd dialog, uint32_t message, uintptr_t wParam,
                                       intptr_t lParam);

// The broken dots of a head check answer (HCS, 217 bytes), or nothing when the answer
// does not hold a count and that many dot positions.
std::optional<std::vector<int>> headCheckBrokenDots(const char* answer);

// Cut position of the auxiliary channel (CPS) shown in controls 6065-6067 of `dialog`:
// operation 0 reads, 1-4 move or reset. False (error shown) on failure.
bool ShowCutPositionFnBL(NyHwnd dialog, int operation, uint8_t printerIndex);
// Reads the travel distances, warns at the head-break distance, reconciles the body
// distance with "PRTDIST%02d" and fills 6601, 6606 and 6607 of `dialog`.
void ShowRunDistancesFnV(NyHwnd dialog, uint8_t printerIndex);
// Opens an HTML help topic ("file::topic") for a dialog window.
void OpenHelpTopicFnV(NyHwnd dialog, const char* topic);

}  // namespace nypr
