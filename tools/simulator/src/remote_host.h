// What the remote-control client needs from the system it runs on: starting the native
// simulator program and handing paths across (a Windows program under wine names files
// by its drive letters, the Linux simulator by Unix paths).
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace ktsim::remote {

// The native simulator program: $KTSIM_NATIVE_EXE, else the one this library was built
// with.
std::string nativeSimulatorPath();

// A started simulator process.
class ChildProcess {
 public:
  ChildProcess() = default;
  ChildProcess(ChildProcess&& other) noexcept;
  ChildProcess& operator=(ChildProcess&& other) noexcept;
  ~ChildProcess();

  // Starts `program` with `arguments`; throws std::runtime_error when it cannot.
  static ChildProcess spawn(const std::string& program, const std::vector<std::string>& arguments);
  // Waits up to `grace` for the process to end (it ends when its control connection
  // closes), then kills it. Windows processes started under wine cannot be waited for:
  // their end is left to the control connection.
  void reap(std::chrono::milliseconds grace);

 private:
  long long pid_ = 0;
};

// A path of this program as the native simulator names it, and back (unchanged outside
// wine).
std::string toNativePath(const std::string& path);
std::string fromNativePath(const std::string& path);

}  // namespace ktsim::remote
