// The simulator's side of its remote control (remote_protocol.h).
#pragma once

#include <string>

namespace ktsim::remote {

// Listens for control connections on "a.b.c.d:port" and serves them until the first one
// closes (or none came within kFirstConnectionWait); then stops the simulator and returns
// the process's exit code (0, or 1 when the address could not be used).
int serveControl(const std::string& addressAndPort);

}  // namespace ktsim::remote
