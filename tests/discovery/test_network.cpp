#include "test_network.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <vector>

namespace nypr::testing {
namespace {

constexpr char kPrefix[] = "nyprui";

// Runs `ip` quietly; true when it exited with 0. Its words are names and addresses made
// here, never anything a shell would read specially.
bool ip(const std::string& args) {
  return std::system(("ip " + args + " >/dev/null 2>&1").c_str()) == 0;
}

// Removes namespaces of this program whose process is gone (a killed earlier run).
void removeStaleNamespaces() {
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/var/run/netns", ec)) {
    std::string name = entry.path().filename().string();
    if (name.rfind(kPrefix, 0) != 0) continue;
    long pid = std::strtol(name.c_str() + sizeof(kPrefix) - 1, nullptr, 10);
    if (pid > 0 && kill(static_cast<pid_t>(pid), 0) != 0) ip("netns del " + name);
  }
}

bool enterNamespace(const std::string& name) {
  std::string path = "/var/run/netns/" + name;
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    ADD_FAILURE() << "cannot open " << path;
    return false;
  }
  int rc = setns(fd, CLONE_NEWNET);
  close(fd);
  if (rc != 0) ADD_FAILURE() << "cannot enter " << path;
  return rc == 0;
}

std::atomic<int> g_counter{0};

}  // namespace

std::string dottedAddress(uint32_t a) {
  return std::to_string(a >> 24) + "." + std::to_string((a >> 16) & 0xFF) + "." +
         std::to_string((a >> 8) & 0xFF) + "." + std::to_string(a & 0xFF);
}

std::string networkNamespacesUnavailable() {
  if (geteuid() != 0) return "network namespaces need root";
  if (!ip("-V")) return "the ip tool (iproute2) is missing";
  return "";
}

TestNetwork::TestNetwork(int printers) {
  reason_ = networkNamespacesUnavailable();
  if (!reason_.empty()) return;
  static std::once_flag cleaned;
  std::call_once(cleaned, removeStaleNamespaces);
  int n = g_counter.fetch_add(1);
  std::string base = std::string(kPrefix) + std::to_string(getpid()) + "x" + std::to_string(n);
  subnet_ = static_cast<uint8_t>(n % 200 + 1);
  driverNs_ = base + "d";
  const std::string net = "10.77." + std::to_string(subnet_) + ".";
  if (!ip("netns add " + driverNs_)) {
    driverNs_.clear();
    reason_ = "cannot create a network namespace (ip netns add failed)";
    return;
  }
  const std::string d = "-n " + driverNs_ + " ";
  // A port-less bridge has no carrier; a veth pair of its own keeps it up for the
  // broadcast route.
  bool ok = true;
  for (const std::string& c : std::vector<std::string>{
           "link set lo up", "link add br0 type bridge", "addr add " + net + "1/24 dev br0",
           "link set br0 up", "link add keep0 type veth peer name keep1",
           "link set keep0 master br0 up", "link set keep1 up", "route add default dev br0"}) {
    ok = ok && ip(d + c);
  }
  for (int i = 0; ok && i < printers; ++i) {
    const std::string ns = base + "p" + std::to_string(i);
    if (!ip("netns add " + ns)) {
      ok = false;
      break;
    }
    printerNs_.push_back(ns);
    const std::string p = "-n " + ns + " ";
    const std::string port = "port" + std::to_string(i);
    for (const std::string& c : std::vector<std::string>{
             p + "link set lo up", d + "link add " + port + " type veth peer name eth0 netns " + ns,
             d + "link set " + port + " master br0 up",
             p + "addr add " + dottedAddress(printerAddress(i)) + "/24 dev eth0",
             p + "link set eth0 up", p + "route add default dev eth0"}) {
      ok = ok && ip(c);
    }
  }
  if (!ok) reason_ = "cannot set up the test network (ip failed)";
}

TestNetwork& sharedTestNetwork() {
  static TestNetwork net(4);
  return net;
}

TestNetwork::~TestNetwork() {
  for (const std::string& ns : printerNs_) ip("netns del " + ns);
  if (!driverNs_.empty()) ip("netns del " + driverNs_);
}

uint32_t TestNetwork::printerAddress(int i) const {
  return (10u << 24) | (77u << 16) | (subnet_ << 8) | static_cast<uint32_t>(11 + i);
}

std::thread TestNetwork::startAsDriver(std::function<void()> f) const {
  std::string ns = driverNs_;
  return std::thread([ns, f = std::move(f)] {
    if (enterNamespace(ns)) f();
  });
}

std::thread TestNetwork::startAsPrinter(int i, std::function<void()> f) const {
  std::string ns = printerNs_.at(static_cast<size_t>(i));
  return std::thread([ns, f = std::move(f)] {
    if (enterNamespace(ns)) f();
  });
}

void TestNetwork::runAsDriver(const std::function<void()>& f) const {
  startAsDriver(f).join();
}

void TestNetwork::runAsPrinter(int i, const std::function<void()>& f) const {
  startAsPrinter(i, f).join();
}

}  // namespace nypr::testing
