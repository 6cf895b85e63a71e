// kt3600r: CUPS backend for the KT3600R label printer, a host of the driver module.
//
//   kt3600r                                   list the printers the network search finds
//   kt3600r job user title copies options [file]   print the label pages of the job
//
// The device URI (DEVICE_URI, else argv[0]) is kt3600r://ADDRESS. The pages come from the
// rastertokt3600r filter, each with its copies and print conditions. SIGTERM (a cancelled
// job) stops the printer's job and ends the backend.
#include <cups/backend.h>
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "device_uri.h"
#include "label_page.h"
#include "label_printer.h"
#include "printer_list.h"

namespace {

std::atomic<bool> g_cancelled{false};

// SIGTERM is taken by a thread of its own, so that no socket call of the driver is ever
// interrupted: the printing thread sees the flag between two finish report reads.
void watchForCancel() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  std::thread([set] {
    int signal = 0;
    if (sigwait(&set, &signal) == 0) g_cancelled = true;
  }).detach();
}

std::string tempDir() {
  const char* dir = std::getenv("TMPDIR");
  return dir != nullptr && *dir != '\0' ? dir : "/tmp";
}

}  // namespace

int main(int argc, char* argv[]) {
  std::setvbuf(stderr, nullptr, _IONBF, 0);
  std::signal(SIGPIPE, SIG_IGN);
  if (argc == 1) {
    nypr::cups::listPrinters(stdout);
    return CUPS_BACKEND_OK;
  }
  if (argc < 6 || argc > 7) {
    std::fprintf(stderr, "Usage: %s job-id user title copies options [file]\n", argv[0]);
    return CUPS_BACKEND_FAILED;
  }
  watchForCancel();
  const char* uri = std::getenv("DEVICE_URI");
  std::string error;
  auto address = nypr::cups::addressOfUri(uri != nullptr ? uri : argv[0], error);
  if (!address) {
    std::fprintf(stderr, "ERROR: %s\n", error.c_str());
    return CUPS_BACKEND_STOP;
  }
  std::FILE* in = stdin;
  if (argc == 7 && (in = std::fopen(argv[6], "rb")) == nullptr) {
    std::fprintf(stderr, "ERROR: Unable to open print file %s\n", argv[6]);
    return CUPS_BACKEND_FAILED;
  }
  nypr::cups::LabelPrinter printer(g_cancelled);
  if (!printer.configure(*address, tempDir())) return CUPS_BACKEND_FAILED;
  int status = CUPS_BACKEND_OK;
  bool cutAtEnd = false;
  for (int pageNumber = 1; status == CUPS_BACKEND_OK && !g_cancelled; ++pageNumber) {
    nypr::cups::LabelPage page;
    const auto read = nypr::cups::readLabelPage(in, page, error);
    if (read == nypr::cups::ReadResult::End) break;
    if (read == nypr::cups::ReadResult::Bad) {
      std::fprintf(stderr, "ERROR: Label %d: %s\n", pageNumber, error.c_str());
      status = CUPS_BACKEND_CANCEL;
      break;
    }
    cutAtEnd = page.cut == nypr::cups::CutMode::EndOfJob;
    status = printer.print(page, pageNumber);
  }
  if (status == CUPS_BACKEND_OK && cutAtEnd) status = printer.cut();
  if (in != stdin) std::fclose(in);
  if (status == CUPS_BACKEND_OK && !g_cancelled) std::fprintf(stderr, "INFO: Ready to print\n");
  return status;
}
