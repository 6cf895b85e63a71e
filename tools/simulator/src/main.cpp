// kt3600r-sim: runs the printer simulator until SIGINT or SIGTERM.
#include <pthread.h>

#include <CLI/CLI.hpp>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>

#include "ktsim/simulator.h"
#include "remote_server.h"

int main(int argc, char** argv) {
  CLI::App app{"KT3600R printer simulator: answers the printer's commands on TCP 10000/10001"};
  ktsim::Options options;
  options.address = "127.0.0.2";
  options.timeScale = 1.0;
  std::string model;
  int machine = 1;
  int headRank = 3;
  int stopError = 998;
  int speed = 0;
  bool headOpen = false;
  bool anyAddress = false;
  app.add_option("-a,--address", options.address,
                 "IPv4 address to listen on (\"\" or \"random\": a free 127.A.B.C)")
      ->capture_default_str();
  app.add_option("--command-port", options.commandPort, "command port")->capture_default_str();
  app.add_option("--finish-port", options.finishPort, "finish report port")->capture_default_str();
  app.add_flag("-d,--discovery", options.discovery, "answer UDP discovery requests");
  app.add_option("--discovery-address", options.discoveryAddress,
                 "address the discovery responder binds (default 0.0.0.0, hears broadcasts)");
  app.add_flag("--discovery-local", anyAddress,
               "bind the discovery responder to --address instead of 0.0.0.0");
  app.add_option("--discovery-port", options.discoveryPort, "discovery UDP port")
      ->capture_default_str();
  app.add_option("-o,--out", options.outputDir, "directory for printed labels (PNG)");
  app.add_option("-t,--time-scale", options.timeScale,
                 "factor on printing time: 1 real time, 0 instant")
      ->check(CLI::Range(0.0, 1000.0))
      ->capture_default_str();
  app.add_flag("-v,--verbose", options.verbose, "log every frame");
  app.add_option("--model", model, "18-character model text of discovery replies");
  app.add_option("--machine", machine, "machine number of discovery replies")
      ->check(CLI::Range(0, 99))
      ->capture_default_str();
  app.add_option("--head-rank", headRank, "head rank 0-7")
      ->check(CLI::Range(0, 7))
      ->capture_default_str();
  app.add_flag("--head-open", headOpen, "start with the head open");
  app.add_option("--print-speed", speed, "issue speed mm/s (0: from the print conditions)")
      ->check(CLI::Range(0, 1000));
  app.add_option("--stop-error", stopError, "error number of the report after a stop (PSP)")
      ->check(CLI::Range(0, 999))
      ->capture_default_str();
  // Test programs that cannot host the simulator (Windows programs under wine) drive it
  // through this; not for people, so left out of the help.
  std::string control;
  app.add_option("--control", control, "serve the remote control on ADDRESS:PORT")->group("");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e);
  }
  if (!control.empty()) return ktsim::remote::serveControl(control);
  if (options.address == "random") options.address.clear();
  if (options.discovery && options.discoveryAddress.empty() && !anyAddress) {
    options.discoveryAddress = "0.0.0.0";
  }
  options.logSink = [verbose = options.verbose](std::string_view line) {
    (void)verbose;
    std::fprintf(stderr, "kt3600r-sim: %.*s\n", static_cast<int>(line.size()), line.data());
  };

  // Signals are taken by sigwait() below; every simulator thread inherits the block.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  ktsim::Simulator sim(options);
  sim.updateState([&](ktsim::PrinterState& s) {
    if (!model.empty()) s.modelText = model;
    s.machineNumber = machine;
    s.headRank = headRank;
    s.headOpen = headOpen;
    s.stopReportError = stopError;
    s.printSpeed = speed;
  });
  try {
    sim.start();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kt3600r-sim: %s\n", e.what());
    return 1;
  }
  if (!options.verbose)
    std::fprintf(stderr, "kt3600r-sim: listening on %s ports %u/%u%s\n", sim.address().c_str(),
                 sim.commandPort(), sim.finishPort(),
                 sim.discoveryPort()
                     ? (", discovery on UDP " + std::to_string(sim.discoveryPort())).c_str()
                     : "");

  int signal = 0;
  sigwait(&signals, &signal);
  std::fprintf(stderr, "kt3600r-sim: stopping\n");
  sim.stop();
  return 0;
}
