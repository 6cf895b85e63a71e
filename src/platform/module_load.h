// When the module's start-up and shut-down run, and the socket library they start.
//
// Contract: the loader calls nypr::moduleAttach() once when the module is loaded into the
// host's process, before any export is called, and nypr::moduleDetach() once when it is
// unloaded (process attach and detach); nothing else in the module calls them. A failing attach
// fails the load where the OS allows it. POSIX: shared-library constructor and destructor; Windows:
// DllMain. The socket-library start and stop live beside the hooks, because they belong to the same
// OS mechanism (WSAStartup and WSACleanup on Windows).
#pragma once

namespace nypr::platform {

// Defined next to the hooks. The driver refers to it so that a static link of the
// driver's objects (the unit tests) keeps the hooks too.
extern const bool kModuleLoadHooksInstalled;

// Starts the socket library (version 2.2): 0, or the socket error number of the failure.
long startSocketLibrary();
// Stops what startSocketLibrary() started.
void stopSocketLibrary();

}  // namespace nypr::platform
