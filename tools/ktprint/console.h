// What differs between a POSIX terminal and the Windows console: how text reaches the
// screen, whether standard output is a terminal, Ctrl-C, and where the INI file lives
// by default. One implementation per OS (console_posix.cpp, console_win32.cpp).
#pragma once

#include <string>

namespace ktprint {

// Makes std::cout and std::cerr show ktprint's UTF-8 text correctly. Call once, first.
void setUpConsole();

// True when standard output is a terminal (progress redraws one line there).
bool standardOutputIsTerminal();

// Calls `onInterrupt` (async-signal-safe work only) for every Ctrl-C until
// releaseInterrupts(); the process is not ended by it meanwhile.
void catchInterrupts(void (*onInterrupt)());
void releaseInterrupts();

// The host INI file ktprint uses when --ini is not given; empty: the stand-in host's own
// default (NYHOST_INI, then the user's configuration directory).
std::string defaultIniPath();

}  // namespace ktprint
