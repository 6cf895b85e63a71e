// What IPP Everywhere clients (CUPS's `-m everywhere` among them) look for beyond the
// attributes PAPPL 1.3 makes from the driver data, and Identify-Printer.
#pragma once

#include <pappl/pappl.h>

namespace nypr::app {

// Adds the identify action and the printer attributes PAPPL 1.3 leaves out to the driver
// data of a new printer (`attrs` made when null).
void addEverywhereAttributes(pappl_pr_driver_data_t* data, ipp_t** attrs);

}  // namespace nypr::app
