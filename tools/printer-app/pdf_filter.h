// PDF documents: each page becomes one label of the page's size, rendered with poppler at
// the head's 12 dots/mm and handed to the driver's raster callbacks.
#pragma once

#include <pappl/pappl.h>

namespace nypr::app {

// Adds the application/pdf filter to the system.
void addPdfFilter(pappl_system_t* system);

}  // namespace nypr::app
