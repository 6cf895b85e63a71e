// A printer's address in its settings line of the host INI file ("KT3600R Info", KT%02d),
// where the driver reads it when the printer is opened.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace nypr::host {

// Dotted IPv4 text to a host-order address (first octet in the top byte).
std::optional<uint32_t> parseIpv4(const std::string& text);

// Host-order address to dotted text.
std::string formatIpv4(uint32_t address);

// Stores the address of printer 1..8. `keepSettings` keeps the rest of its settings line;
// otherwise (and for a missing line) the line becomes the address alone, which the driver
// reads as factory settings. False when the file cannot be written.
bool storePrinterAddress(int printer, uint32_t address, bool keepSettings = true);

}  // namespace nypr::host
