// The label path's hot spots: converting a whole 80 x 500 mm label to head lines, and
// printing it through the exported interface to the simulated printer on loopback,
// next to the floor of the same number of stop-and-wait round trips of the same sizes
// against a plain loopback answerer, and the same frames sent straight to the simulator.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "core/slots.h"
#include "driver/bmp_backup.h"
#include "driver/print_conditions.h"
#include "driver/printing.h"
#include "driver/raster.h"
#include "image/monochrome_copy.h"
#include "ktsim/simulator.h"
#include "link/command_table.h"
#include "link/connection.h"
#include "link/exchange.h"
#include "link/frame.h"
#include "nyhost/nyhost_control.h"
#include "nyprkt3600r/nyprkt3600r.h"
#include "platform/clock.h"
#include "platform/gdi.h"
#include "platform/profile.h"
#include "settings/printer_settings.h"
#include "status/printer_status.h"
#include "whole_label.h"

namespace {

using namespace std::chrono_literals;

using nypr::bench::kLengthDots;
using nypr::bench::kRowBytes;
using nypr::bench::kWidthDots;
using nypr::bench::randomRows;

constexpr int kBpl = 120;
constexpr int kFrames = kLengthDots / nypr::kLinesPerFrame;  // 1200
constexpr int kDtiPayload = 12 + 5 * (kBpl + 2);             // 622
constexpr int kDtiFrame = kDtiPayload + 6;                   // 628
constexpr int kDtiAnswerFrame = 10 + 6;                      // 16

void BM_RasterWholeLabel(benchmark::State& state) {
  const auto bits = randomRows(kRowBytes, kLengthDots);
  std::vector<uint8_t> frame(static_cast<size_t>(nypr::frameRasterBytes(kBpl)));
  const nypr::EdgeMask mask = nypr::edgeMaskForDots(kWidthDots - 4);
  for (auto _ : state) {
    nypr::RasterWalker walker(bits.data(), kRowBytes, kLengthDots, mask, kBpl);
    for (int f = 0; f < kFrames; ++f) {
      walker.fillFrame(frame.data());
      benchmark::ClobberMemory();
    }
    benchmark::DoNotOptimize(frame.data());
  }
  state.counters["per_line"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kLengthDots,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_RasterWholeLabel)->Unit(benchmark::kMicrosecond);

// The print path's other pass over the whole label: the 1-bit copy of the host's bitmap
// and reading its rows back.
void BM_MonochromeCopyWholeLabel(benchmark::State& state) {
  auto bits = randomRows(kRowBytes, kLengthDots);
  NyBitmap bitmap{kWidthDots, kLengthDots, 1, kRowBytes, bits.data(), nullptr, 0};
  std::vector<uint8_t> rows(bits.size());
  for (auto _ : state) {
    NyHbitmap copy = nypr::makeMonochromeCopy(&bitmap);
    benchmark::DoNotOptimize(nypr::platform::gdiGetBitmapBits(copy, rows.data(), rows.size()));
    nypr::deleteMonochromeCopy(copy);
  }
}
BENCHMARK(BM_MonochromeCopyWholeLabel)->Unit(benchmark::kMillisecond);

// ---- loopback helpers -------------------------------------------------------------------

int connectTo(uint32_t address, uint16_t port) {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  a.sin_addr.s_addr = htonl(address);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    throw std::runtime_error("connect failed");
  }
  return fd;
}

bool readExactly(int fd, char* buf, size_t n) {
  size_t got = 0;
  while (got < n) {
    ssize_t r = ::recv(fd, buf + got, n - got, 0);
    if (r <= 0) return false;
    got += static_cast<size_t>(r);
  }
  return true;
}

bool writeAll(int fd, const char* buf, size_t n) {
  return ::send(fd, buf, n, MSG_NOSIGNAL) == static_cast<ssize_t>(n);
}

// The floor: an answerer that reads one raster frame and answers it, nothing else.
class PlainAnswerer {
 public:
  PlainAnswerer() {
    listen_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (::bind(listen_, reinterpret_cast<sockaddr*>(&a), len) != 0 || ::listen(listen_, 1) != 0) {
      throw std::runtime_error("listen failed");
    }
    ::getsockname(listen_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this] {
      int fd = ::accept(listen_, nullptr, nullptr);
      int one = 1;
      ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
      char frame[kDtiFrame];
      const char answer[kDtiAnswerFrame + 1] =
          "\x02"
          "0010"
          "2S200DTR0\x03";
      while (readExactly(fd, frame, sizeof frame)) {
        if (!writeAll(fd, answer, kDtiAnswerFrame)) break;
      }
      ::close(fd);
    });
  }
  ~PlainAnswerer() {
    ::shutdown(listen_, SHUT_RDWR);
    ::close(listen_);
    if (thread_.joinable()) thread_.join();
  }
  uint16_t port() const { return port_; }

 private:
  int listen_ = -1;
  uint16_t port_ = 0;
  std::thread thread_;
};

void BM_LoopbackFloor(benchmark::State& state) {
  PlainAnswerer answerer;
  const int fd = connectTo(INADDR_LOOPBACK, answerer.port());
  std::vector<char> frame(kDtiFrame, '0');
  char answer[kDtiAnswerFrame];
  for (auto _ : state) {
    for (int f = 0; f < kFrames; ++f) {
      if (!writeAll(fd, frame.data(), frame.size()) || !readExactly(fd, answer, sizeof answer)) {
        state.SkipWithError("answerer gone");
        break;
      }
    }
  }
  ::close(fd);
  state.counters["us_per_frame"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kFrames,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_LoopbackFloor)->Unit(benchmark::kMillisecond)->UseRealTime();

// ---- the simulated printer --------------------------------------------------------------

struct PrinterSetup {
  ktsim::Simulator sim;
  std::filesystem::path dir;
  std::vector<uint8_t> bits = randomRows(kRowBytes, kLengthDots);
  NyBitmap bitmap{kWidthDots, kLengthDots, 1, kRowBytes, nullptr, nullptr, 0};
  nypr::bench::WholeLabelJob job;

  PrinterSetup() {
    sim.start();
    dir =
        std::filesystem::temp_directory_path() / ("nypr_print_bench_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string ini = (dir / "host.ini").string();
    nyhostSetIniPath(ini.c_str());
    nyhostSetModuleDir(dir.c_str());
    char value[16];
    std::snprintf(value, sizeof value, "%08X", sim.addressValue());
    nypr::platform::profileWriteString(ini, "KT3600R Info", "KT00", value);
    bitmap.bits = bits.data();
    if (NyPrInitPrinter(1, &job.job) != 0) throw std::runtime_error("printer not ready");
  }
  ~PrinterSetup() {
    NyPrClosePrinter(0);
    sim.stop();
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
};

// A PRS frame for the whole label and a blank DTI frame (one byte more for the exchange
// to terminate it with), written by hand.
struct HandFrames {
  char prs[6 + 208 + 1] = {};
  std::vector<char> dti = std::vector<char>(kDtiFrame + 1, 0);

  explicit HandFrames(PrinterSetup& setup) {
    nypr::SetDefaultSettingsFnV(0);
    std::memcpy(prs,
                "\x02"
                "0208"
                "2S200PRS",
                13);
    nypr::ConditionsInput in;
    in.label = &setup.job.label;
    in.cond = &setup.job.cond;
    nypr::buildConditionsData(0, nypr::ConditionsCommand::Print, in, prs + 13);
    prs[6 + 208 - 1] = 0x03;
    std::memcpy(dti.data(),
                "\x02"
                "0622"
                "2S200DTI",
                13);
    for (int l = 0; l < 5; ++l) std::memcpy(dti.data() + 17 + l * (kBpl + 2), "00", 2);
    dti[kDtiFrame - 1] = 0x03;
  }
  void number(int f) {
    char text[8];
    std::snprintf(text, sizeof text, "%04d", f);
    std::memcpy(dti.data() + 13, text, 4);
  }
};

// The same frames sent straight to the simulator: what the printer side costs per frame,
// without the driver.
void BM_SimulatorRawFrames(benchmark::State& state) {
  PrinterSetup setup;
  NyPrClosePrinter(0);
  HandFrames frames(setup);
  char answer[64];
  const int fd = connectTo(setup.sim.addressValue(), setup.sim.commandPort());
  for (auto _ : state) {
    writeAll(fd, frames.prs, 214);
    readExactly(fd, answer, 21);
    for (int f = 0; f < kFrames; ++f) {
      frames.number(f);
      if (!writeAll(fd, frames.dti.data(), kDtiFrame) ||
          !readExactly(fd, answer, kDtiAnswerFrame)) {
        state.SkipWithError("simulator gone");
        break;
      }
    }
    state.PauseTiming();
    setup.sim.waitForJobEnd(5s);
    setup.sim.clearRecords();
    state.ResumeTiming();
  }
  ::close(fd);
  state.counters["us_per_frame"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kFrames,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_SimulatorRawFrames)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same frames through the driver's own exchange on the slot's command connection:
// the raster phase of a print without the label conversion and the per-label set-up.
void BM_DriverExchangeFrames(benchmark::State& state) {
  PrinterSetup setup;
  HandFrames frames(setup);
  char reply[101] = {};
  nypr::PrinterSlot& slot = nypr::stKtRSE[0];
  auto exchange = [&](char* frame, int size) {
    slot.lpSendBuf = frame;
    slot.SendSize = size;
    slot.lpRecvBuf = reply;
    slot.RecvSize = 100;
    return nypr::KtSendRecvFnI(0) > 0;
  };
  for (auto _ : state) {
    exchange(frames.prs, 214);
    for (int f = 0; f < kFrames; ++f) {
      frames.number(f);
      if (!exchange(frames.dti.data(), kDtiFrame)) {
        state.SkipWithError("exchange failed");
        break;
      }
    }
    state.PauseTiming();
    setup.sim.waitForJobEnd(5s);
    setup.sim.clearRecords();
    state.ResumeTiming();
  }
  slot.lpSendBuf = nullptr;
  slot.lpRecvBuf = nullptr;
  state.counters["us_per_frame"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kFrames,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_DriverExchangeFrames)->Unit(benchmark::kMillisecond)->UseRealTime();

// The whole label through NyPrPrintOneLabel: checks, status query, conditions, 1200
// raster frames. With `noReopenPause` the 50 ms the driver leaves the printer between a
// command connection's close and the next connect is taken out (clock hook), so the
// transfer itself can be compared with the floor.
void printThroughAbi(benchmark::State& state, bool noReopenPause) {
  PrinterSetup setup;
  nypr::platform::ClockHooks hooks{
      [](void*) {
        return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                         std::chrono::steady_clock::now().time_since_epoch())
                                         .count());
      },
      [](void*, uint32_t) {}, nullptr};
  if (noReopenPause) nypr::platform::setClockForTesting(&hooks);
  for (auto _ : state) {
    if (NyPrPrintOneLabel(1, 1, &setup.bitmap, &setup.job.job, nullptr) != 0) {
      state.SkipWithError("print failed");
      break;
    }
    state.PauseTiming();
    setup.sim.waitForJobEnd(5s);
    setup.sim.clearRecords();
    state.ResumeTiming();
  }
  nypr::platform::setClockForTesting(nullptr);
  state.counters["us_per_frame"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kFrames,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// The fixed part of every label: the status query the print path asks before the
// conditions (STS, the distance query on a new command connection, the status line in the
// INI file, which changes with every label as the label travel grows).
void BM_StatusQueryPerLabel(benchmark::State& state) {
  PrinterSetup setup;
  nypr::platform::ClockHooks hooks{[](void*) { return 0u; }, [](void*, uint32_t) {}, nullptr};
  nypr::platform::setClockForTesting(&hooks);
  char block[nypr::kStatusBlockLen];
  uint64_t travelMm = 0;
  for (auto _ : state) {
    state.PauseTiming();
    travelMm += 503;
    setup.sim.setTravel(0, travelMm, travelMm);
    state.ResumeTiming();
    if (!nypr::GetPrinterStatusFnBL(0, block)) {
      state.SkipWithError("status failed");
      break;
    }
  }
  nypr::platform::setClockForTesting(nullptr);
}
BENCHMARK(BM_StatusQueryPerLabel)->Unit(benchmark::kMillisecond)->UseRealTime();

// The label of BM_PrintLabelAbiNoReopenPause taken apart: the steps of NyPrPrintOneLabel one
// after another through the module's own functions, each timed (counters in ms per label):
//   checks      the 1-bit copy of the host's bitmap, its size, the backup setting
//   finish      the finish connection opened (an open one reused) and drained
//   status      the status query (STS and LRS on fresh connections, the INI status line)
//   conditions  the PRS exchange with the print conditions
//   raster      the bits read, converted and sent in 1200 DTI frames; raster_exchanges
//               counts the frames' exchanges alone, last_frame the last one's (the printer
//               takes the whole raster in before it answers it)
//   arm         "Printting_Status" and the finish connection's 500 ms time-outs
// exchanges = status + conditions + raster_exchanges; whole = the sum of the phases;
// whole_per_exchanges is their ratio. abi is the same label through NyPrPrintOneLabel in
// the same iteration, abi_per_exchanges its ratio to the replica's exchanges. An
// iteration's time covers both labels.
void BM_PrintLabelPhases(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  PrinterSetup setup;
  nypr::platform::ClockHooks hooks{
      [](void*) {
        return static_cast<uint32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch())
                .count());
      },
      [](void*, uint32_t) {}, nullptr};
  nypr::platform::setClockForTesting(&hooks);
  nypr::PrinterSlot& slot = nypr::stKtRSE[0];
  enum Phase {
    kChecks,
    kFinish,
    kStatus,
    kConditions,
    kRaster,
    kRasterExchanges,
    kLastFrame,
    kArm,
    kAbi,
    kCount
  };
  double ms[kCount] = {};
  auto lap = [](Clock::time_point& t) {
    const auto now = Clock::now();
    const double elapsed = std::chrono::duration<double, std::milli>(now - t).count();
    t = now;
    return elapsed;
  };
  char frame[nypr::kFrameOverhead + nypr::kMaxPayloadLen + 1] = {};
  char reply[101] = {};
  char* payload = frame + nypr::kFrameHeadLen;
  for (auto _ : state) {
    auto t = Clock::now();
    NyHbitmap mono = nypr::makeMonochromeCopy(&setup.bitmap);
    nypr::platform::BitmapDesc desc;
    const int bpl = nypr::bytesPerLineForHead(nypr::settingsFieldInt(0, nypr::kFieldHeadWidth));
    if (mono == nullptr || !nypr::platform::gdiGetBitmapDesc(mono, &desc)) {
      state.SkipWithError("no 1-bit copy");
      break;
    }
    nypr::backupLabelBitmap(1, mono);
    ms[kChecks] += lap(t);

    nypr::drainFinishConnection(nypr::KT36R_CreateSocket(0, 0, 1));
    nypr::forgetFinishReportHead(0);
    ms[kFinish] += lap(t);

    char block[nypr::kStatusBlockLen];
    const bool ready = nypr::GetPrinterStatusFnBL(0, block);
    ms[kStatus] += lap(t);

    nypr::KtSetCmdHeaderFnV(payload, nypr::kCmdPRS);
    nypr::ConditionsInput in = nypr::conditionsInputFromJob(setup.job.job);
    in.posAdjX = slot.PosAdjXI;
    in.posAdjY = slot.PosAdjYI;
    nypr::buildConditionsData(0, nypr::ConditionsCommand::Print, in,
                              payload + nypr::kPayloadCodeEnd);
    nypr::applyLaterSettingsUpdates(0, setup.job.cond);
    const int prs = nypr::exchangeWithBuffers(
        0, frame, nypr::KtMakeFrameFnI(frame, nypr::KtGetCmdLenFnI(nypr::kCmdPRS, 0)), reply, 100,
        0, 0);
    ms[kConditions] += lap(t);
    if (!ready || prs <= 0) {
      state.SkipWithError("status or conditions failed");
      break;
    }

    const size_t imageBytes = static_cast<size_t>(desc.widthBytes) * desc.height;
    NyHglobal block32 = nypr::platform::gdiGlobalAlloc(imageBytes + 32);
    auto* bits = static_cast<uint8_t*>(nypr::platform::gdiGlobalLock(block32));
    nypr::platform::gdiGetBitmapBits(mono, bits, imageBytes);
    nypr::KtSetCmdHeaderFnV(payload, nypr::kCmdDTI);
    const int dtiLen = nypr::KtMakeFrameFnI(
        frame, nypr::KtGetCmdLenFnI(nypr::kCmdDTI, nypr::frameRasterBytes(bpl)));
    nypr::RasterWalker walker(bits, desc.widthBytes, desc.height, nypr::edgeMaskForDots(desc.width),
                              bpl);
    const int frames = nypr::frameCountForLength(setup.job.label.LengthUW);
    bool sent = true;
    for (int f = 0; f < frames && sent; ++f) {
      walker.fillFrame(reinterpret_cast<uint8_t*>(payload + 12));
      nypr::KtPutNum4FnV(f, payload + nypr::kPayloadCodeEnd);
      auto e = Clock::now();
      sent = nypr::exchangeWithBuffers(0, frame, dtiLen, reply, 100, 0, 0) > 0;
      const double exchange = lap(e);
      ms[kRasterExchanges] += exchange;
      if (f == frames - 1) ms[kLastFrame] += exchange;
    }
    nypr::platform::gdiGlobalUnlock(block32);
    nypr::platform::gdiGlobalFree(block32);
    nypr::deleteMonochromeCopy(mono);
    ms[kRaster] += lap(t);
    if (!sent) {
      state.SkipWithError("raster failed");
      break;
    }

    nypr::setPrintingStatus("1");
    if (nypr::KT36R_CreateSocket(0, 0, 1) != nypr::platform::kInvalidSocket) {
      nypr::SetTimeOut(0, 500, 500, 1);
    }
    ms[kArm] += lap(t);

    state.PauseTiming();
    setup.sim.waitForJobEnd(5s);
    setup.sim.clearRecords();
    state.ResumeTiming();

    // The same label through the exported entry, right after: the pair sees the same load.
    t = Clock::now();
    const int16_t printed = NyPrPrintOneLabel(1, 1, &setup.bitmap, &setup.job.job, nullptr);
    ms[kAbi] += lap(t);
    if (printed != 0) {
      state.SkipWithError("print failed");
      break;
    }
    state.PauseTiming();
    setup.sim.waitForJobEnd(5s);
    setup.sim.clearRecords();
    state.ResumeTiming();
  }
  nypr::platform::setClockForTesting(nullptr);
  const double n = static_cast<double>(std::max<int64_t>(state.iterations(), 1));
  const char* names[kCount] = {"checks",           "finish",     "status", "conditions", "raster",
                               "raster_exchanges", "last_frame", "arm",    "abi"};
  for (int p = 0; p < kCount; ++p) state.counters[names[p]] = ms[p] / n;
  const double exchanges = ms[kStatus] + ms[kConditions] + ms[kRasterExchanges];
  const double whole =
      ms[kChecks] + ms[kFinish] + ms[kStatus] + ms[kConditions] + ms[kRaster] + ms[kArm];
  state.counters["exchanges"] = exchanges / n;
  state.counters["whole"] = whole / n;
  state.counters["whole_per_exchanges"] = exchanges > 0 ? whole / exchanges : 0;
  state.counters["abi_per_exchanges"] = exchanges > 0 ? ms[kAbi] / exchanges : 0;
}
BENCHMARK(BM_PrintLabelPhases)->Unit(benchmark::kMillisecond)->UseRealTime();

// One write of the host's INI file (replaced atomically, flushed to disk).
void BM_IniWrite(benchmark::State& state) {
  PrinterSetup setup;
  const std::string ini = (setup.dir / "host.ini").string();
  for (auto _ : state) {
    nypr::platform::profileWriteString(ini, "BackPrinting", "Printting_Status", "1");
  }
}
BENCHMARK(BM_IniWrite)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PrintLabelAbi(benchmark::State& state) {
  printThroughAbi(state, false);
}
void BM_PrintLabelAbiNoReopenPause(benchmark::State& state) {
  printThroughAbi(state, true);
}
BENCHMARK(BM_PrintLabelAbi)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PrintLabelAbiNoReopenPause)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
