// ktprint: prints labels on a KT3600R and looks after it from the command line, through
// the driver module's exported interface.
#include <CLI/CLI.hpp>
#include <clocale>

#include "commands.h"

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  CLI::App app{"ktprint: KT3600R label printer from the command line"};
  app.require_subcommand(1);
  ktprint::GlobalOptions options;
  app.add_option("--ini", options.iniPath, "host INI file holding the printers' settings");
  app.add_option("--printer", options.printer, "printer number")->check(CLI::Range(1, 8));

  std::string address;
  auto* config = app.add_subcommand("config", "store the printer's address in its settings");
  config->add_option("--address", address, "IPv4 address, A.B.C.D")->required();

  bool json = false;
  auto* status = app.add_subcommand("status", "open the printer and show its status");
  status->add_flag("--json", json, "print JSON instead of a table");

  ktprint::PrintOptions print;
  auto* printCmd =
      app.add_subcommand("print", "print a label picture (1 pixel = 1 dot, 12 dots/mm)");
  printCmd->add_option("label", print.imagePath, "PNG (or JPEG, BMP...) of the label")
      ->required()
      ->check(CLI::ExistingFile);
  printCmd->add_option("--copies", print.copies, "copies to issue")->check(CLI::Range(1, 99999));
  printCmd->add_option("--width", print.widthMm, "label width, mm (default: the picture's)")
      ->check(CLI::Range(1.0, 200.0));
  printCmd->add_option("--length", print.lengthMm, "label length, mm (default: the picture's)")
      ->check(CLI::Range(1.0, 2000.0));
  printCmd->add_option("--gap", print.gapMm, "gap between labels, mm")
      ->check(CLI::Range(0.0, 99.0));
  printCmd->add_option("--speed", print.speed, "print speed, mm/s")->check(CLI::Range(70, 150));
  printCmd->add_flag("--cut", print.cut, "cut after each label");
  printCmd->add_flag("--peel", print.peel, "peel each label off (auto-peel)");
  printCmd->add_flag("--thermal-transfer", print.thermalTransfer, "print with a ribbon");
  printCmd->add_flag("--mirror", print.mirror, "mirror the label left to right");
  ktprint::PrintOptions feedOptions;
  feedOptions.widthMm = 80;
  feedOptions.lengthMm = 50;
  auto* feed = app.add_subcommand("feed", "feed one blank label");
  feed->add_option("--width", feedOptions.widthMm, "label width, mm")->check(CLI::Range(1.0, 80.0));
  feed->add_option("--length", feedOptions.lengthMm, "label length, mm")
      ->check(CLI::Range(1.0, 2000.0));
  feed->add_option("--gap", feedOptions.gapMm, "gap between labels, mm")
      ->check(CLI::Range(0.0, 99.0));
  feed->add_flag("--cut", feedOptions.cut, "cut after the label");
  auto* cut = app.add_subcommand("cut", "cut at the auto cutter");
  auto* stop = app.add_subcommand("stop", "stop the job being printed");

  CLI11_PARSE(app, argc, argv);
  if (printCmd->parsed()) return ktprint::runPrint(options, print);
  if (feed->parsed()) return ktprint::runFeed(options, feedOptions);
  if (cut->parsed()) return ktprint::runCut(options);
  if (stop->parsed()) return ktprint::runStop(options);
  if (config->parsed()) return ktprint::runConfig(options, address);
  if (status->parsed()) return ktprint::runStatus(options, json);
  return 2;
}
