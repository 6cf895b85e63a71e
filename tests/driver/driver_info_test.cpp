// The driver and printer info queries, through the exported interface.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>

#include "nyprkt3600r/nyprkt3600r.h"

namespace {

TEST(DriverInfo, DriverSpec) {
  EXPECT_EQ(NyPrGetDriverSpec(nullptr), 16u);
  DriverSpecST spec;
  std::memset(&spec, 0xAB, sizeof spec);
  spec.SizeUL = 15;
  EXPECT_EQ(NyPrGetDriverSpec(&spec), 0u);
  EXPECT_EQ(spec.Value1UL, 0xABABABABu);  // nothing written
  spec.SizeUL = 16;
  EXPECT_EQ(NyPrGetDriverSpec(&spec), 16u);
  EXPECT_EQ(std::tie(spec.SizeUL, spec.Value1UL, spec.Value2UL, spec.Value3UL),
            std::make_tuple(16u, 0u, 0u, 1u));
}

TEST(DriverInfo, PrinterSpec) {
  EXPECT_EQ(NyPrGetPrinterSpec(nullptr, 0), 344u);
  PrinterSpecST spec;
  std::memset(&spec, 0xCD, sizeof spec);
  spec.SizeUL = 343;
  EXPECT_EQ(NyPrGetPrinterSpec(&spec, 0), 0u);
  EXPECT_EQ(spec.KindUL, 0xCDCDCDCDu);
  spec.SizeUL = 344;
  EXPECT_EQ(NyPrGetPrinterSpec(&spec, 7), 344u);
  EXPECT_EQ(spec.KindUL, 276u);
  EXPECT_EQ(spec.reserved8[0], 0xCD);  // the 8 bytes after the kind are not written
  // "KT-3600R (12dot, LANﾀｲﾌﾟ) [Windows 11まで対応可能]" in CP932.
  const std::string expected =
      "KT-3600R (12dot, LAN\xC0\xB2\xCC\xDF) [Windows 11\x82\xDC\x82\xC5\x91\xCE\x89\x9E\x89\xC2"
      "\x94\x5C]";
  EXPECT_EQ(std::string(spec.Description), expected);
  EXPECT_EQ(std::tie(spec.ResolutionXUW, spec.ResolutionYUW), std::make_tuple(300, 300));
  EXPECT_EQ(spec.reserved276[0], 0xCD);  // the rest is not written
}

TEST(DriverInfo, PrintDataFillsAll24BytesWhateverThePrinterNumber) {
  for (uint8_t printerNo : {0, 1, 8, 200}) {
    uint8_t raw[sizeof(PrintDataST)];
    std::memset(raw, 0xEE, sizeof raw);
    auto* data = reinterpret_cast<PrintDataST*>(raw);
    EXPECT_EQ(NyPrGetPrintData(printerNo, data, 0), 1);
    const uint8_t expected[24] = {0x14, 0x01, 0, 0, 120, 0,         70, 0, 150, 0, 0x20, 0x03,
                                  0x88, 0x13, 0, 0, 0,   printerNo, 0,  0, 0,   0, 0,    0};
    EXPECT_EQ(std::memcmp(raw, expected, sizeof raw), 0) << "printer " << int(printerNo);
  }
  EXPECT_EQ(NyPrGetPrintData(1, nullptr, 0), 1);
}

TEST(DriverInfo, ContrastQueryWithoutItsRecordIsRefused) {
  EXPECT_EQ(NyPrIoControl(1, 3, nullptr, nullptr), 0);
}

}  // namespace
