// The IP address dialog: the printer's MAC address, IP address, subnet mask and gateway
// (ADS), set in the printer and, for the IP address, in the printer's settings line.
#include <cstdio>
#include <cstring>

#include "core/host_api.h"
#include "core/slots.h"
#include "link/commands.h"
#include "platform/ui.h"
#include "settings/printer_settings.h"
#include "status/error_text.h"
#include "ui/dialog_procs.h"

namespace nypr {
namespace {

using namespace platform;

// The printer's connection record as this dialog loaded it; the new address is stored
// from it.
KtrInfo g_ipDialogInfo{};

constexpr char kTemplate[] = "DIALOG_KT36R_IP";

enum : int {
  kMacAddress = 6218,
  kIpAddress = 6202,
  kSubnetMask = 6203,
  kGateway = 6204,
};

constexpr int kAdsRequestLen = 59;
constexpr int kAdsReplyLen = 62;
constexpr int kMacLen = 12;
constexpr int kAddressLen = 12;
// Request.
constexpr int kRequestMode = 8;
constexpr int kRequestMac = 9;
constexpr int kRequestIp = 21;
constexpr int kRequestMask = 33;
constexpr int kRequestGateway = 45;
constexpr int kRequestPrinterNo = 57;
// Reply.
constexpr int kReplyMac = 11;
constexpr int kReplyIp = 23;
constexpr int kReplyMask = 35;
constexpr int kReplyGateway = 47;

SetupCtxST* g_ipContext = nullptr;

// The MAC address as the printer sent it; a byte that is not printable text shows as "0".
void showMac(NyHwnd dialog, const char* reply) {
  char mac[kMacLen + 1] = {};
  for (int i = 0; i < kMacLen; ++i) {
    const unsigned char ch = static_cast<unsigned char>(reply[kReplyMac + i]);
    mac[i] = ch > 0x20 && ch < 0x7F ? static_cast<char>(ch) : '0';
  }
  setDlgItemText(dialog, kMacAddress, mac);
}

uint32_t addressOf(NyHwnd dialog, int id) {
  uint32_t address = 0;
  ipAddressGet(getDlgItem(dialog, id), &address);
  return address;
}

void putAddress(char* request, int pos, uint32_t address) {
  std::memcpy(request + pos, IpAddrToText(address, false), kAddressLen);
}

bool initialise(NyHwnd dialog) {
  const uint8_t index = contextSlotIndex(g_ipContext);
  g_ipDialogInfo = KtrInfo{};
  g_ipDialogInfo.PrinterNoUB = index;
  ReadPrinterSettingsFnBL(&g_ipDialogInfo);
  const PrintJobST* job = g_ipContext != nullptr ? g_ipContext->lpPrintJob : nullptr;
  ApplyHostPosAdjustFnV(index, job != nullptr ? job->lpLabelFormat : nullptr);

  char request[kAdsRequestLen + 1] = {};
  char reply[kAdsReplyLen + 1] = {};
  std::memset(request, '0', kAdsRequestLen);
  request[kRequestMode] = '0';
  if (!KtSetAddressFnBL(index, request, reply)) {
    ShowPrinterErrorFnI(focusWindow(), index);
    return false;
  }
  showMac(dialog, reply);
  ipAddressSet(getDlgItem(dialog, kIpAddress), IpAddrFromText(reply + kReplyIp));
  ipAddressSet(getDlgItem(dialog, kSubnetMask), IpAddrFromText(reply + kReplyMask));
  ipAddressSet(getDlgItem(dialog, kGateway), IpAddrFromText(reply + kReplyGateway));
  return true;
}

void setAddresses(NyHwnd dialog) {
  const uint8_t index = contextSlotIndex(g_ipContext);
  char request[kAdsRequestLen + 1] = {};
  char reply[kAdsReplyLen + 1] = {};
  std::memset(request, '0', kAdsRequestLen);
  request[kRequestMode] = '1';
  char mac[kMacLen + 1] = {};
  getDlgItemText(dialog, kMacAddress, mac, sizeof mac);
  std::memcpy(request + kRequestMac, mac, std::strlen(mac));
  const uint32_t ip = addressOf(dialog, kIpAddress);
  putAddress(request, kRequestIp, ip);
  putAddress(request, kRequestMask, addressOf(dialog, kSubnetMask));
  putAddress(request, kRequestGateway, addressOf(dialog, kGateway));
  char number[8];
  std::snprintf(number, sizeof number, "%02d", index + 1);
  std::memcpy(request + kRequestPrinterNo, number, 2);

  if (!KtSetAddressFnBL(index, request, reply)) {
    ShowPrinterErrorFnI(focusWindow(), index);
    endDialog(dialog, 0);
    return;
  }
  // The printer confirms the address it now has; an answer without one must not leave
  // the printer unreachable from the settings, so the address sent stands in for it.
  uint32_t confirmed = IpAddrFromText(reply + kReplyIp);
  if (confirmed == 0) confirmed = ip;
  g_ipDialogInfo.IpAddrUL = confirmed;
  stKtRSE[index].CurKTRInfoST.IpAddrUL = confirmed;
  WritePrinterSettingsFnV(&g_ipDialogInfo);
  messageBeep(BeepKind::Error);
  endDialog(dialog, 1);
}

}  // namespace

intptr_t NYPR_STDCALL IpAddressDlgProc(NyHwnd dialog, uint32_t message, uintptr_t wParam,
                                       intptr_t lParam) {
  switch (message) {
    case kMsgInitDialog:
      LoadDialogItemsExFnV(kTemplate, dialog, kTextSection);
      if (lParam != 0) g_ipContext = reinterpret_cast<SetupCtxST*>(lParam);
      CenterDialogFnV(dialog, g_ipContext != nullptr ? g_ipContext->hWndOwner : nullptr);
      if (!initialise(dialog)) endDialog(dialog, 0);
      return 1;
    case kMsgCommand:
      switch (commandId(wParam)) {
        case kIdOk:
          setAddresses(dialog);
          return 1;
        case kIdCancel:
          endDialog(dialog, 0);
          return 1;
        default:
          return 0;
      }
    default:
      return 0;
  }
}

}  // namespace nypr
