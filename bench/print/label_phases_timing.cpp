// The whole label of whole_label_timing taken apart, without Google Benchmark, so the same
// program runs natively and, built for Windows, under wine: each label's steps are those
// of NyPrPrintOneLabel, called one after another through the module's own functions and
// each timed; then the same label goes through NyPrPrintOneLabel itself. The wait for the
// printer's finish report after each label is not timed. Prints one line of key=value
// pairs, each the median over the labels in ms:
//   gdi_copy          the 1-bit copy of the host's bitmap and its size
//   ini_backup        the backup setting read from the INI file (no backup made)
//   finish            the finish connection opened (an open one reused) and drained
//   status            the status query: STS and LRS exchanges, the INI status line
//   conditions        the PRS exchange with the print conditions
//   raster_gdi        the 1-bit copy's rows read into a global memory block
//   raster_convert    the rows turned into the 1200 frames' head lines
//   raster_exchanges  the 1200 DTI exchanges alone
//   ini_printing      "Printting_Status" set to "1" (a read and a write)
//   arm               the finish connection's 500 ms time-outs
//   whole             the sum of the steps above; pauses, the part of it spent in the
//                     50 ms pauses before a command connection is reopened
//   ini_status_line   measured apart, not part of whole: one INI read and write of a
//                     line like the status line (the part of status that is file work)
//   abi               the same label through NyPrPrintOneLabel
//   plain_exchanges   with --floor-port, the same 1200 DTI frames through the driver's
//                     exchange (a second printer slot) to stop_and_wait_floor's plain
//                     answerer: the driver's own share of raster_exchanges, against the
//                     floor that scripts/bench-wine measures on the same answerer
//   phases platform=... labels=N gdi_copy=... ... abi=...
#include <CLI/CLI.hpp>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "core/slots.h"
#include "driver/bmp_backup.h"
#include "driver/print_conditions.h"
#include "driver/printing.h"
#include "driver/raster.h"
#include "image/monochrome_copy.h"
#include "label_bitmap.h"
#include "link/command_table.h"
#include "link/connection.h"
#include "link/exchange.h"
#include "link/frame.h"
#include "nyprkt3600r/nyprkt3600r.h"
#include "platform/clock.h"
#include "platform/gdi.h"
#include "platform/module_load.h"
#include "platform/profile.h"
#include "scratch_host.h"
#include "settings/printer_settings.h"
#include "status/printer_status.h"
#include "whole_label.h"

namespace {

using Clock = std::chrono::steady_clock;

enum Phase {
  kGdiCopy,
  kIniBackup,
  kFinish,
  kStatus,
  kConditions,
  kRasterGdi,
  kRasterConvert,
  kRasterExchanges,
  kIniPrinting,
  kArm,
  kWhole,
  kPauses,
  kIniStatusLine,
  kAbi,
  kPlainExchanges,
  kPhaseCount
};
const char* const kNames[kPhaseCount] = {
    "gdi_copy",   "ini_backup",     "finish",           "status",       "conditions",
    "raster_gdi", "raster_convert", "raster_exchanges", "ini_printing", "arm",
    "whole",      "pauses",         "ini_status_line",  "abi",          "plain_exchanges"};

// The module's clock, real, with the time slept in its pauses counted.
std::atomic<uint64_t> g_sleptUs{0};
const Clock::time_point g_start = Clock::now();
uint32_t realTick(void*) {
  return static_cast<uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - g_start).count());
}
void countedSleep(void*, uint32_t ms) {
  const auto t = Clock::now();
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  g_sleptUs += static_cast<uint64_t>(
      std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - t).count());
}

double lap(Clock::time_point& t) {
  const auto now = Clock::now();
  const double ms = std::chrono::duration<double, std::milli>(now - t).count();
  t = now;
  return ms;
}

// One label through the module's steps; false when a step failed.
bool printReplica(NyHbitmap bitmap, nypr::bench::WholeLabelJob& job, double* ms) {
  nypr::PrinterSlot& slot = nypr::stKtRSE[0];
  const uint64_t sleptBefore = g_sleptUs;
  auto t = Clock::now();
  const auto start = t;
  NyHbitmap mono = nypr::makeMonochromeCopy(bitmap);
  nypr::platform::BitmapDesc desc;
  const int bpl = nypr::bytesPerLineForHead(nypr::settingsFieldInt(0, nypr::kFieldHeadWidth));
  if (mono == nullptr || !nypr::platform::gdiGetBitmapDesc(mono, &desc)) return false;
  ms[kGdiCopy] = lap(t);
  nypr::backupLabelBitmap(1, mono);
  ms[kIniBackup] = lap(t);

  nypr::drainFinishConnection(nypr::KT36R_CreateSocket(0, 0, 1));
  nypr::forgetFinishReportHead(0);
  ms[kFinish] = lap(t);

  char block[nypr::kStatusBlockLen];
  const bool ready = nypr::GetPrinterStatusFnBL(0, block);
  ms[kStatus] = lap(t);

  char frame[nypr::kFrameOverhead + nypr::kMaxPayloadLen + 1] = {};
  char reply[101] = {};
  char* payload = frame + nypr::kFrameHeadLen;
  nypr::KtSetCmdHeaderFnV(payload, nypr::kCmdPRS);
  nypr::ConditionsInput in = nypr::conditionsInputFromJob(job.job);
  in.posAdjX = slot.PosAdjXI;
  in.posAdjY = slot.PosAdjYI;
  nypr::buildConditionsData(0, nypr::ConditionsCommand::Print, in, payload + nypr::kPayloadCodeEnd);
  nypr::applyLaterSettingsUpdates(0, job.cond);
  const int prs = nypr::exchangeWithBuffers(
      0, frame, nypr::KtMakeFrameFnI(frame, nypr::KtGetCmdLenFnI(nypr::kCmdPRS, 0)), reply, 100, 0,
      0);
  ms[kConditions] = lap(t);
  if (!ready || prs <= 0) {
    nypr::deleteMonochromeCopy(mono);
    return false;
  }

  const size_t imageBytes = static_cast<size_t>(desc.widthBytes) * desc.height;
  NyHglobal memory = nypr::platform::gdiGlobalAlloc(imageBytes + 32);
  auto* bits = static_cast<uint8_t*>(nypr::platform::gdiGlobalLock(memory));
  const bool read =
      bits != nullptr && nypr::platform::gdiGetBitmapBits(mono, bits, imageBytes) == imageBytes;
  ms[kRasterGdi] = lap(t);
  bool sent = read;
  if (read) {
    nypr::KtSetCmdHeaderFnV(payload, nypr::kCmdDTI);
    const int dtiLen = nypr::KtMakeFrameFnI(
        frame, nypr::KtGetCmdLenFnI(nypr::kCmdDTI, nypr::frameRasterBytes(bpl)));
    nypr::RasterWalker walker(bits, desc.widthBytes, desc.height, nypr::edgeMaskForDots(desc.width),
                              bpl);
    const int frames = nypr::frameCountForLength(job.label.LengthUW);
    double exchanges = 0;
    for (int f = 0; f < frames && sent; ++f) {
      walker.fillFrame(reinterpret_cast<uint8_t*>(payload + 12));
      nypr::KtPutNum4FnV(f, payload + nypr::kPayloadCodeEnd);
      auto e = Clock::now();
      sent = nypr::exchangeWithBuffers(0, frame, dtiLen, reply, 100, 0, 0) > 0;
      exchanges += lap(e);
    }
    ms[kRasterExchanges] = exchanges;
    ms[kRasterConvert] = lap(t) - exchanges;
  }
  nypr::platform::gdiGlobalUnlock(memory);
  nypr::platform::gdiGlobalFree(memory);
  nypr::deleteMonochromeCopy(mono);
  ms[kRasterGdi] += lap(t);
  if (!sent) return false;

  nypr::setPrintingStatus("1");
  ms[kIniPrinting] = lap(t);
  slot.CopiesUL = 1;
  slot.dwActTick = nypr::platform::tickCount();
  slot.JobKindUW = nypr::kJobLabel;
  if (nypr::KT36R_CreateSocket(0, 0, 1) != nypr::platform::kInvalidSocket) {
    nypr::SetTimeOut(0, 500, 500, 1);
  }
  ms[kArm] = lap(t);
  ms[kWhole] = std::chrono::duration<double, std::milli>(t - start).count();
  ms[kPauses] = static_cast<double>(g_sleptUs - sleptBefore) / 1000.0;
  return true;
}

// The label's 1200 blank DTI frames through the driver's exchange on slot 1, whose
// connection goes to a plain answerer; the time in ms, or a negative value on failure.
double plainExchanges() {
  char frame[nypr::kFrameOverhead + nypr::kMaxPayloadLen + 1] = {};
  char reply[101] = {};
  char* payload = frame + nypr::kFrameHeadLen;
  nypr::KtSetCmdHeaderFnV(payload, nypr::kCmdDTI);
  const int bpl = nypr::bytesPerLineForHead(nypr::settingsFieldInt(0, nypr::kFieldHeadWidth));
  const int dtiLen =
      nypr::KtMakeFrameFnI(frame, nypr::KtGetCmdLenFnI(nypr::kCmdDTI, nypr::frameRasterBytes(bpl)));
  const int frames = nypr::frameCountForLength(nypr::bench::WholeLabelJob().label.LengthUW);
  auto t = Clock::now();
  for (int f = 0; f < frames; ++f) {
    nypr::KtPutNum4FnV(f, payload + nypr::kPayloadCodeEnd);
    if (nypr::exchangeWithBuffers(1, frame, dtiLen, reply, 100, 0, 0) <= 0) return -1;
  }
  return lap(t);
}

double median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string address;
  int labels = 20;
  int warmup = 2;
  CLI::App app{"Times the steps of whole 80 x 500 mm labels printed through the driver"};
  app.add_option("-a,--address", address, "printer (simulator) address")->required();
  app.add_option("-n,--labels", labels, "labels timed")->check(CLI::Range(1, 10000));
  app.add_option("--warmup", warmup, "labels printed first, not timed")->check(CLI::Range(0, 100));
  int floorPort = 0;
  app.add_option("--floor-port", floorPort, "stop_and_wait_floor's answerer on the address")
      ->check(CLI::Range(1, 65535));
  CLI11_PARSE(app, argc, argv);
  // Linked statically, the program starts the module (sockets, registration) as a load
  // would; the reference keeps that start-up in the program.
  if (!nypr::platform::kModuleLoadHooksInstalled) return 1;
  uint32_t value = 0;
  if (!nypr::bench::addressValue(address, value)) {
    std::fprintf(stderr, "label_phases_timing: bad address %s\n", address.c_str());
    return 2;
  }

  nypr::bench::ScratchHost host("label_phases");
  if (!host.pointPrinterAt(value)) {
    std::fprintf(stderr, "label_phases_timing: cannot write %s\n", host.ini.c_str());
    return 1;
  }
  const nypr::platform::ClockHooks hooks{realTick, countedSleep, nullptr};
  nypr::platform::setClockForTesting(&hooks);

  auto rows = nypr::bench::randomRows(nypr::bench::kRowBytes, nypr::bench::kLengthDots);
  NyHbitmap bitmap =
      nypr::bench::makeLabelBitmap(rows, nypr::bench::kWidthDots, nypr::bench::kLengthDots);
  nypr::bench::WholeLabelJob job;
  if (bitmap == nullptr || NyPrInitPrinter(1, &job.job) != 0) {
    std::fprintf(stderr, "label_phases_timing: printer at %s not ready (error %u)\n",
                 address.c_str(), NyPrGetPrintError(1, nullptr, 0));
    nypr::bench::deleteLabelBitmap(bitmap);
    return 1;
  }

  if (floorPort != 0) {
    nypr::KtrInfo& plain = nypr::stKtRSE[1].CurKTRInfoST;
    plain.IpAddrUL = value;
    plain.PortComUW = static_cast<uint16_t>(floorPort);
    plain.PortFinUW = static_cast<uint16_t>(floorPort);
  }
  std::vector<double> samples[kPhaseCount];
  int status = 0;
  for (int i = 0; i < warmup + labels && status == 0; ++i) {
    double ms[kPhaseCount] = {};
    if (!printReplica(bitmap, job, ms) || NyPrWaitPrintFinished(1, 0) != 1) {
      std::fprintf(stderr, "label_phases_timing: label %d failed in steps (error %u)\n", i + 1,
                   NyPrGetPrintError(1, nullptr, 0));
      status = 1;
      break;
    }
    auto t = Clock::now();
    const std::string line = "status line of label " + std::to_string(i) + std::string(60, '0');
    if (nypr::platform::profileReadString(host.ini, "KT3600R Info", "STATUS_BENCH", "") != line) {
      nypr::platform::profileWriteString(host.ini, "KT3600R Info", "STATUS_BENCH", line.c_str());
    }
    ms[kIniStatusLine] = lap(t);
    const int16_t printed = NyPrPrintOneLabel(1, 1, bitmap, &job.job, nullptr);
    ms[kAbi] = lap(t);
    if (printed != 0 || NyPrWaitPrintFinished(1, 0) != 1) {
      std::fprintf(stderr, "label_phases_timing: label %d failed (error %u)\n", i + 1,
                   NyPrGetPrintError(1, nullptr, 0));
      status = 1;
    }
    if (floorPort != 0 && (ms[kPlainExchanges] = plainExchanges()) < 0) {
      std::fprintf(stderr, "label_phases_timing: the plain answerer failed (error %u)\n",
                   NyPrGetPrintError(2, nullptr, 0));
      status = 1;
    }
    if (i >= warmup) {
      for (int p = 0; p < kPhaseCount; ++p) samples[p].push_back(ms[p]);
    }
  }
  NyPrClosePrinter(0);
  nypr::KT36R_CloseSocket(1, 0);
  nypr::platform::setClockForTesting(nullptr);
  nypr::bench::deleteLabelBitmap(bitmap);
  if (status != 0) return status;

  std::printf("phases platform=%s labels=%zu", NYPR_BENCH_PLATFORM, samples[0].size());
  for (int p = 0; p < kPhaseCount; ++p) std::printf(" %s=%.2f", kNames[p], median(samples[p]));
  std::printf("\n");
  return 0;
}
