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

  CLI11_PARSE(app, argc, argv);
  if (config->parsed()) return ktprint::runConfig(options, address);
  if (status->parsed()) return ktprint::runStatus(options, json);
  return 2;
}
