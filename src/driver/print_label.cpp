// Printing one label design: limits, backup copy, firmware check, print conditions (PRS)
// and the raster in numbered DTI frames, bottom row first. The finish connection is left
// armed for the completion poll.
#include <cstdint>
#include <cstring>

#include "core/host_api.h"
#include "core/slots.h"
#include "driver/bmp_backup.h"
#include "driver/print_conditions.h"
#include "driver/printing.h"
#include "driver/raster.h"
#include "image/monochrome_copy.h"
#include "link/command_table.h"
#include "link/connection.h"
#include "link/exchange.h"
#include "link/frame.h"
#include "nyprkt3600r/nyprkt3600r.h"
#include "platform/clock.h"
#include "platform/gdi.h"
#include "platform/net.h"
#include "platform/profile.h"
#include "platform/ui.h"
#include "resources/strings.h"
#include "settings/printer_settings.h"
#include "status/error_text.h"
#include "status/printer_status.h"

namespace nypr {
namespace {

constexpr int kMaxLabelWidth = 800;         // 0.1 mm
constexpr int kMinAutoCutLength = 330;      // 0.1 mm
constexpr int kMinAutoCutGap = 30;          // 0.1 mm
constexpr int kMinPeelTransferWidth = 400;  // 0.1 mm
constexpr int kMinControllerVersion = 90;
constexpr int kMinProgramVersion = 200;
constexpr int kFinishTimeoutMs = 500;
constexpr int kReplySize = 100;
constexpr int kDrainChunk = 16;
// Frame plus the byte the exchange terminates it with for its log.
constexpr int kFrameBufferSize = kFrameOverhead + kMaxPayloadLen + 1;
// Largest head line a DTI frame can carry: 12 + 5 x (bpl + 2) <= 1390.
constexpr int kMaxFramedBpl = (kMaxPayloadLen - 12) / kLinesPerFrame - kLinePrefixLen;

constexpr uint32_t kBackfeedQuestionId = 60406;
constexpr uint32_t kBackfeedWarningId = 60415;
constexpr uint32_t kBackfeedRefused = 60416;
constexpr uint32_t kCaptionId = 60014;

// Byte offsets of answer fields in a received frame (payload position + 5).
constexpr int kAnswerStatusPos = kFrameHeadLen + 8;
constexpr int kDtiFailurePos = kFrameHeadLen + 9;

// Owns what one print call allocates.
class PrintResources {
 public:
  PrintResources() = default;
  ~PrintResources() {
    if (bits_ != nullptr) platform::gdiGlobalUnlock(block_);
    platform::gdiGlobalFree(block_);
    deleteMonochromeCopy(mono_);
  }
  PrintResources(const PrintResources&) = delete;
  PrintResources& operator=(const PrintResources&) = delete;

  NyHbitmap mono_ = nullptr;
  NyHglobal block_ = nullptr;
  uint8_t* bits_ = nullptr;
};

int lateFailure(uint8_t index, const PrintJobST& job) {
  KT36R_CloseSocket(index, 0);
  if (job.bShowLateError != 0) ShowPrinterErrorFnI(platform::focusWindow(), index);
  return -1;
}

}  // namespace

int drainFinishConnection(platform::SocketHandle s) {
  char scrap[kDrainChunk];
  int dropped = 0;
  while (dropped < kDrainLimit && platform::netWaitReadable(s, 0) == 1) {
    const int n = platform::netRecv(s, scrap, sizeof scrap);
    if (n <= 0) break;
    dropped += n;
  }
  return dropped;
}

int16_t printOneLabel(uint8_t printerNo, int32_t copies, NyHbitmap label, PrintJobST* job,
                      uint32_t* confirm) {
  if (label == nullptr) return -1;
  const uint8_t index = slotFromPrinterNo(printerNo);
  PrinterSlot& slot = stKtRSE[index];
  printd("NyPrPOL(%i, %i)...\r\n", index, copies);
  if (job == nullptr || job->lpLabelFormat == nullptr || job->lpPrintCond == nullptr) return -1;
  const LabelFormatST& format = *job->lpLabelFormat;
  const PrintCondST& cond = *job->lpPrintCond;
  const uint16_t flags = cond.OptionFlagsUW;

  // Labels the printer cannot take.
  if (format.WidthUW > kMaxLabelWidth) {
    slot.dwLastError = kHostLabelTooWide;
    return -1;
  }
  // A longer label cannot be described to the printer: its length would go out cut to
  // four digits and the raster would run past what the printer expects.
  if (dotsFromTenthMm(format.LengthUW) > kMaxLabelLengthDots) {
    slot.dwLastError = kHostLabelTooWide;
    return -1;
  }
  if ((flags & NYPR_COND_AUTO_CUT) &&
      (format.LengthUW < kMinAutoCutLength || format.GapUW < kMinAutoCutGap)) {
    slot.dwLastError = kErrAutoCutLabelSize;
    return -1;
  }
  if ((flags & NYPR_COND_THERMAL_TRANSFER) && (flags & NYPR_COND_AUTO_PEEL) &&
      format.WidthUW < kMinPeelTransferWidth) {
    slot.dwLastError = kErrNarrowLabel;
    return -1;
  }
  // A head width that no DTI frame can carry means the stored settings are broken.
  const int bpl = bytesPerLineForHead(settingsFieldInt(index, kFieldHeadWidth));
  if (bpl < 1 || bpl > kMaxFramedBpl) {
    slot.dwLastError = kErrWrongParameter;
    slot.dwError = kFieldHeadWidth;
    return -1;
  }

  PrintResources res;
  res.mono_ = makeMonochromeCopy(label);
  platform::BitmapDesc desc;
  if (res.mono_ == nullptr || !platform::gdiGetBitmapDesc(res.mono_, &desc)) return -1;
  // Rows wider than the head line cannot be placed on it.
  if (desc.widthBytes > bpl || desc.widthBytes > kMaxRowBytes || desc.widthBytes % 2 != 0) {
    slot.dwLastError = kHostLabelTooWide;
    return -1;
  }

  backupLabelBitmap(printerNo, res.mono_);

  const platform::SocketHandle fin = KT36R_CreateSocket(index, 0, 1);
  if (fin == platform::kInvalidSocket) return -1;
  drainFinishConnection(fin);
  forgetFinishReportHead(index);

  char block[kStatusBlockLen] = {};
  if (!GetPrinterStatusFnBL(index, block)) return lateFailure(index, *job);
  if (ParseNumFieldFnI(block + kStatusControllerVersion, 3) < kMinControllerVersion) {
    slot.dwLastError = kErrUpdateController;
    return lateFailure(index, *job);
  }
  if (ParseNumFieldFnI(block + kStatusProgramVersion, 3) < kMinProgramVersion) {
    slot.dwLastError = kErrOldLabeler;
    return lateFailure(index, *job);
  }

  // The gap stands at the hand cutter: printing would first feed the label back.
  if (PrinterSettings[index][kSettingsFields[kFieldForcedWinder].offset] == '0' &&
      (flags & NYPR_COND_BACKFEED_QUESTION) && block[kStatusPaperStop] == '2' &&
      confirm != nullptr && *confirm == 1) {
    const std::string question = moduleStringCp932(kBackfeedQuestionId);
    // The text is the driver's own; 0 tells the host that no host message id comes with it.
    if (ConfirmMessageFnSW(platform::focusWindow(), 0, question.c_str(), 0) != NY_IDYES) {
      slot.dwLastError = kBackfeedRefused;
      return -1;
    }
    *confirm = 0;
    NyMessageBox(platform::focusWindow(), moduleStringCp932(kBackfeedWarningId).c_str(),
                 moduleStringCp932(kCaptionId).c_str(), NY_MB_ICONWARNING);
  }

  char frame[kFrameBufferSize] = {};
  char reply[kReplySize + 1] = {};
  char* payload = frame + kFrameHeadLen;
  KtSetCmdHeaderFnV(payload, kCmdPRS);
  ConditionsInput in = conditionsInputFromJob(*job);
  in.copies = copies;
  in.posAdjX = slot.PosAdjXI;
  in.posAdjY = slot.PosAdjYI;
  buildConditionsData(index, ConditionsCommand::Print, in, payload + kPayloadCodeEnd);
  slot.AutoPeelUB = (flags & NYPR_COND_AUTO_PEEL) ? 1 : 0;
  applyLaterSettingsUpdates(index, cond);

  if (exchangeWithBuffers(index, frame, KtMakeFrameFnI(frame, KtGetCmdLenFnI(kCmdPRS, 0)), reply,
                          kReplySize, 0, 0) <= 0) {
    return lateFailure(index, *job);
  }
  if (const int status = ParseNumFieldFnI(reply + kAnswerStatusPos, 3); status != 0) {
    slot.dwLastError = static_cast<uint32_t>(status);
    const int stopped = stopPrint(static_cast<uint8_t>(index + 1));
    slot.dwLastError = static_cast<uint32_t>(status);
    if (stopped == 0) return lateFailure(index, *job);
    return -1;
  }

  const int rasterBytes = frameRasterBytes(bpl);
  const int frames = frameCountForLength(format.LengthUW);

  const uint64_t imageBytes = uint64_t(desc.widthBytes) * uint64_t(desc.height);
  if (imageBytes + 32 > SIZE_MAX) {
    slot.dwLastError = kErrNoWorkArea;
    KT36R_CloseSocket(index, 0);
    return -1;
  }
  res.block_ = platform::gdiGlobalAlloc(static_cast<size_t>(imageBytes) + 32);
  res.bits_ = static_cast<uint8_t*>(platform::gdiGlobalLock(res.block_));
  if (res.bits_ == nullptr) {
    slot.dwLastError = kErrNoWorkArea;
    KT36R_CloseSocket(index, 0);
    return -1;
  }
  if (platform::gdiGetBitmapBits(res.mono_, res.bits_, static_cast<size_t>(imageBytes)) !=
      imageBytes) {
    slot.dwLastError = kErrBitmapRead;
    KT36R_CloseSocket(index, 0);
    return -1;
  }

  // The label's right edge, or the bitmap's when that is narrower: the row padding past
  // the last pixel would otherwise print as dots.
  const int labelDots = dotsFromTenthMm(format.WidthUW);
  const EdgeMask mask = edgeMaskForDots(labelDots < desc.width ? labelDots : desc.width);

  if (format.MirrorFlagsUL & 0x1) {
    MirrorImageFnV(desc.width, desc.height, 0, res.bits_, desc.widthBytes);
  }
  if (format.MirrorFlagsUL & 0x2) {
    MirrorImageFnV(desc.width, desc.height, 1, res.bits_, desc.widthBytes);
  }

  KtSetCmdHeaderFnV(payload, kCmdDTI);
  const int dtiFrameLen = KtMakeFrameFnI(frame, KtGetCmdLenFnI(kCmdDTI, rasterBytes));
  uint8_t* raster = reinterpret_cast<uint8_t*>(payload + 12);
  RasterWalker walker(res.bits_, desc.widthBytes, desc.height, mask, bpl);
  for (int f = 0; f < frames; ++f) {
    walker.fillFrame(raster);
    KtPutNum4FnV(f, payload + kPayloadCodeEnd);
    // The reply is judged before another call on this printer lends its buffers.
    platform::CriticalSectionLock lock(printerLock(index));
    if (exchangeWithBuffers(index, frame, dtiFrameLen, reply, kReplySize, 0, 0) <= 0) return -1;
    if (reply[kDtiFailurePos] == '1') {
      slot.dwLastError = kErrLabelTransfer;
      return -1;
    }
  }

  setPrintingStatus("1");
  slot.CopiesUL = static_cast<uint32_t>(copies);
  slot.dwActTick = platform::tickCount();
  slot.JobKindUW = kJobLabel;
  if (KT36R_CreateSocket(index, 0, 1) != platform::kInvalidSocket) {
    SetTimeOut(index, kFinishTimeoutMs, kFinishTimeoutMs, 1);
  }
  return 0;
}

}  // namespace nypr

extern "C" {

NYPR_API int16_t NYPR_STDCALL NyPrPrintOneLabel(uint8_t printerNo, int32_t copies, NyHbitmap label,
                                                PrintJobST* job, uint32_t* confirm) {
  return nypr::printOneLabel(printerNo, copies, label, job, confirm);
}

NYPR_API int16_t NYPR_STDCALL NyPrStartPrint(uint8_t printerNo, int32_t copies, NyHbitmap label,
                                             PrintJobST* job, uint32_t* confirm) {
  return nypr::printOneLabel(printerNo, copies, label, job, confirm);
}

NYPR_API int16_t NYPR_STDCALL NyPrRePrintOneLabel(uint8_t printerNo, int32_t copies,
                                                  NyHbitmap label, PrintJobST* job,
                                                  uint32_t* confirm) {
  return nypr::printOneLabel(printerNo, copies, label, job, confirm);
}

}  // extern "C"
