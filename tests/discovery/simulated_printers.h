// Printer simulators answering the search, each in its own namespace of a test network.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ktsim/simulator.h"
#include "test_network.h"

namespace nypr::testing {

struct SimulatedPrinter {
  int machine;
  std::string model;  // as the search reply carries it, 18 characters
};

// One discovery-answering simulator per printer, started in printer i's namespace; a
// missing or stopped one fails the calling test.
inline std::vector<std::unique_ptr<ktsim::Simulator>> startSimulatedPrinters(
    const TestNetwork& net, const std::vector<SimulatedPrinter>& printers) {
  std::vector<std::unique_ptr<ktsim::Simulator>> sims(printers.size());
  for (size_t i = 0; i < printers.size(); ++i) {
    net.runAsPrinter(static_cast<int>(i), [&, i] {
      ktsim::Options options;
      options.discovery = true;
      options.discoveryAddress = "0.0.0.0";
      sims[i] = std::make_unique<ktsim::Simulator>(options);
      sims[i]->setDiscoveryIdentity(printers[i].machine, printers[i].model);
      sims[i]->start();
    });
    EXPECT_TRUE(sims[i] && sims[i]->running()) << "simulator " << i;
  }
  return sims;
}

}  // namespace nypr::testing
