// ktprint: prints labels on a KT3600R and looks after it from the command line, through
// the driver module's exported interface.
#include <CLI/CLI.hpp>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <iostream>

#include "commands.h"
#include "console.h"
#include "translation.h"

using ktprint::tr;

namespace {

// A range check lets NaN through (every comparison with it is false).
const CLI::Validator& finite() {
  static const CLI::Validator check(
      [](std::string& text) -> std::string {
        double value = 0;
        if (CLI::detail::lexical_cast(text, value) && std::isfinite(value)) return {};
        return tr("not a finite number:") + std::string(" ") + text;
      },
      "FINITE");
  return check;
}

// The settings are written by renaming a new file over the old one: a device, a FIFO or
// a directory there would be replaced or block. The module reads a settings file of up to
// 1 MiB and treats a larger one as absent: say so rather than ask for an address.
bool usableIni(const std::string& path) {
  constexpr std::uintmax_t kMaxIniBytes = std::uintmax_t{1} << 20;
  if (path.empty()) return true;
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (!std::filesystem::exists(status)) return true;
  if (!std::filesystem::is_regular_file(status)) {
    std::cerr << "ktprint: " << path << ": " << tr("not a regular file") << "\n";
    return false;
  }
  if (std::filesystem::file_size(path, ec) > kMaxIniBytes && !ec) {
    std::cerr << "ktprint: " << path << ": " << tr("larger than the 1 MiB a settings file may hold")
              << "\n";
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  ktprint::setUpConsole();
  ktprint::setUpTranslation(argc > 0 ? argv[0] : nullptr);
  CLI::App app{tr("ktprint: KT3600R label printer from the command line")};
  app.footer(
      tr("Exit status: 0 done, 1 the printer or the driver failed, 2 bad arguments or "
         "unreadable input, 130 stopped with Ctrl-C."));
  app.require_subcommand(1);
  // Options are spelt --name on Windows too: a picture's path may start with '/' (a path
  // from the drive's root, or a wine path), which Windows-style options would take.
  app.allow_windows_style_options(false);
  ktprint::GlobalOptions options;
  app.add_option("--ini", options.iniPath, tr("host INI file holding the printers' settings"));
  app.add_option("--printer", options.printer, tr("printer number"))->check(CLI::Range(1, 8));

  std::string address;
  auto* config = app.add_subcommand("config", tr("store the printer's address in its settings"));
  config->add_option("--address", address, tr("IPv4 address, A.B.C.D"))->required();

  bool json = false;
  auto* status = app.add_subcommand("status", tr("open the printer and show its status"));
  status->add_flag("--json", json, tr("print JSON instead of a table"));

  uint32_t searchMs = 1000;
  bool searchJson = false;
  auto* search = app.add_subcommand("search", tr("list the printers that answer on the network"));
  search->add_option("--timeout", searchMs, tr("wait for further answers, ms"))
      ->check(CLI::Range(1, 60000))
      ->capture_default_str();
  search->add_flag("--json", searchJson, tr("print JSON instead of a table"));

  ktprint::PrintOptions print;
  auto* printCmd = app.add_subcommand(
      "print", tr("print a label picture (by default 1 pixel = 1 dot, 12 dots/mm)"));
  printCmd->add_option("label", print.imagePath, tr("PNG (or JPEG, BMP...) of the label"))
      ->required()
      ->check(CLI::ExistingFile);
  printCmd->add_option("--copies", print.copies, tr("copies to issue"))
      ->check(CLI::Range(1, 999999));
  printCmd->add_option("--width", print.widthMm, tr("label width, mm (default: the picture's)"))
      ->check(finite())
      ->check(CLI::Range(1.0, 200.0));
  printCmd->add_option("--length", print.lengthMm, tr("label length, mm (default: the picture's)"))
      ->check(finite())
      ->check(CLI::Range(1.0, 2000.0));
  printCmd->add_option("--gap", print.gapMm, tr("gap between labels, mm"))
      ->check(finite())
      ->check(CLI::Range(0.0, 99.0));
  printCmd->add_option("--speed", print.speed, tr("print speed, mm/s"))->check(CLI::Range(70, 150));
  printCmd->add_flag("--cut", print.cut, tr("cut after each label"));
  printCmd->add_flag("--peel", print.peel, tr("peel each label off (auto-peel)"));
  printCmd->add_flag("--thermal-transfer", print.thermalTransfer, tr("print with a ribbon"));
  printCmd->add_flag("--mirror", print.mirror, tr("mirror the label left to right"));
  auto* threshold = printCmd
                        ->add_option("--threshold", print.threshold,
                                     tr("grey level (0-255) below which a pixel prints"))
                        ->check(CLI::Range(0, 255))
                        ->capture_default_str();
  printCmd->add_flag("--dither", print.dither, tr("error diffusion for grey and colour pictures"))
      ->excludes(threshold);
  printCmd->add_flag("--fit", print.fit,
                     tr("scale the picture to the label width (default 80 mm), keeping its "
                        "aspect"));
  printCmd->add_option("--rotate", print.rotate, tr("turn the picture clockwise: 90, 180, 270"))
      ->check(CLI::IsMember({0, 90, 180, 270}));
  printCmd->add_option("--preview", print.previewPath,
                       tr("write the 1-bit raster as PNG to this file instead of printing"));
  ktprint::PrintOptions feedOptions;
  feedOptions.widthMm = 80;
  feedOptions.lengthMm = 50;
  auto* feed = app.add_subcommand("feed", tr("feed one blank label"));
  feed->add_option("--width", feedOptions.widthMm, tr("label width, mm"))
      ->check(finite())
      ->check(CLI::Range(1.0, 80.0));
  feed->add_option("--length", feedOptions.lengthMm, tr("label length, mm"))
      ->check(finite())
      ->check(CLI::Range(1.0, 2000.0));
  feed->add_option("--gap", feedOptions.gapMm, tr("gap between labels, mm"))
      ->check(finite())
      ->check(CLI::Range(0.0, 99.0));
  feed->add_flag("--cut", feedOptions.cut, tr("cut after the label"));
  auto* cut = app.add_subcommand("cut", tr("cut at the auto cutter"));
  auto* stop = app.add_subcommand("stop", tr("stop the job being printed"));

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // Help and version exit 0; every other complaint about the command line is a 2.
    int rc = app.exit(e);
    return rc == 0 ? ktprint::kExitOk : ktprint::kExitUsage;
  }
  if (!usableIni(options.iniPath.empty() ? ktprint::defaultIniPath() : options.iniPath)) {
    return ktprint::kExitUsage;
  }
  int rc = ktprint::kExitUsage;
  if (printCmd->parsed()) {
    rc = ktprint::runPrint(options, print);
  } else if (feed->parsed()) {
    rc = ktprint::runFeed(options, feedOptions);
  } else if (cut->parsed()) {
    rc = ktprint::runCut(options);
  } else if (stop->parsed()) {
    rc = ktprint::runStop(options);
  } else if (config->parsed()) {
    rc = ktprint::runConfig(options, address);
  } else if (status->parsed()) {
    rc = ktprint::runStatus(options, json);
  } else if (search->parsed()) {
    rc = ktprint::runSearch(searchMs, searchJson);
  }
  // What was shown must have reached its reader (a full disk, a closed pipe).
  std::cout.flush();
  if (!std::cout && rc == ktprint::kExitOk) {
    std::cerr << "ktprint: " << tr("cannot write the standard output") << "\n";
    rc = ktprint::kExitUsage;
  }
  return rc;
}
