// What the driver and its printer are, as the host asks at start: the three info queries.
#include <cstring>

#include "core/slots.h"
#include "nyprkt3600r/nyprkt3600r.h"
#include "resources/strings.h"

namespace {

constexpr uint32_t kDriverSpecSize = sizeof(DriverSpecST);
constexpr uint32_t kPrinterSpecSize = sizeof(PrinterSpecST);
constexpr uint32_t kPrinterDescriptionId = 60013;

}  // namespace

extern "C" {

NYPR_API uint32_t NYPR_STDCALL NyPrGetDriverSpec(DriverSpecST* spec) {
  if (spec == nullptr) return kDriverSpecSize;
  if (spec->SizeUL < kDriverSpecSize) return 0;
  spec->Value1UL = 0;
  spec->Value2UL = 0;
  spec->Value3UL = 1;
  return kDriverSpecSize;
}

NYPR_API uint32_t NYPR_STDCALL NyPrGetPrinterSpec(PrinterSpecST* spec, uint32_t /*unused*/) {
  if (spec == nullptr) return kPrinterSpecSize;
  if (spec->SizeUL < kPrinterSpecSize) return 0;
  spec->KindUL = nypr::kKindCode;
  nypr::loadModuleString(kPrinterDescriptionId, spec->Description,
                         static_cast<int>(sizeof(spec->Description)));
  spec->ResolutionXUW = 300;
  spec->ResolutionYUW = 300;
  return kPrinterSpecSize;
}

NYPR_API int32_t NYPR_STDCALL NyPrGetPrintData(uint8_t printerNo, PrintDataST* data,
                                               uint32_t /*unused*/) {
  if (data == nullptr) return 1;
  std::memset(data, 0, sizeof(*data));
  data->KindUW = nypr::kKindCode;
  data->DotsPer10mmUW = 120;
  data->MinSpeedUW = 70;
  data->MaxSpeedUW = 150;
  data->MaxWidthUW = 800;
  data->Value12UW = 5000;
  data->PrinterNoUB = printerNo;
  return 1;
}

}  // extern "C"
