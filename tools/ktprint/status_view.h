// The status line the driver writes after each status query ("STATUS%02d" in the host
// INI file), shown to people (a table) and programs (JSON).
#pragma once

#include <string>

#include "printer_status.h"

namespace ktprint {

// The status line's fields as the driver wrote them.
using StatusView = nypr::host::StatusFields;

// A readable table with names and units, in the terminal's encoding.
std::string renderStatusTable(const StatusView& view);
// One JSON object (UTF-8).
std::string renderStatusJson(const StatusView& view);

// A JSON string literal of UTF-8 text, quoted and escaped.
std::string jsonString(const std::string& utf8);

}  // namespace ktprint
