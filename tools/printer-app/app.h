// What the application's callbacks share: the registry of printers and the system.
#pragma once

#include <pappl/pappl.h>

#include <atomic>

#include "app_printers.h"

namespace nypr::app {

struct App {
  Registry registry;
  pappl_system_t* system = nullptr;
  std::atomic<int> queries{0};  // status queries running on their own threads
};

// True once the application was told to stop (SIGTERM or SIGINT): PAPPL 1.3 waits for the
// job being printed before it shuts down, so a job held for its printer gives up.
bool terminating();

// Takes SIGTERM and SIGINT over from PAPPL (which installs its handlers when it starts
// running, and would wait for a held job for ever): they set terminating(), and the
// status timer shuts the system down. Called from the timer and at each job's start.
void watchTermination();

// Waits (bounded by the driver's time-outs) until no status query runs any more, so that
// none outlives the module's and the host library's state at exit.
void waitForStatusQueries();

App& app();

// The printer's address from a kt3600r://ADDRESS device URI, or nullopt.
std::optional<uint32_t> addressOfUri(const char* uri);

// Driver "kt3600r": fills the driver data of a new printer; false for a device URI that is
// not a KT3600R's or when every printer number is taken.
bool driverCallback(pappl_system_t* system, const char* driverName, const char* deviceUri,
                    const char* deviceId, pappl_pr_driver_data_t* data, ipp_t** attrs,
                    void* cbData);

// Ends a job the driver started whose document fails before its last page.
void abandonLabelJob(pappl_job_t* job);

// Gives a new printer its module printer number and stores its address for the driver.
void createCallback(pappl_printer_t* printer, void* cbData);

// The kt3600r:// device scheme, its device list from the module's network search.
void addDeviceScheme();

// The status timer: starts a status query for every idle printer and applies the last
// results to the printers' state reasons.
bool statusTimer(pappl_system_t* system, void* cbData);

// GET /metrics.
bool metricsResource(pappl_client_t* client, void* cbData);

}  // namespace nypr::app
