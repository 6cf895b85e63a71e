// The I/O-control table, code by code.
#include <cstring>
#include <string>

#include "core/slots.h"
#include "host_fixture.h"
#include "nyhost/nyhost_control.h"
#include "nyprkt3600r/nyprkt3600r.h"

namespace nypr::test {
namespace {

using IoControlTest = HostTest;

TEST_F(IoControlTest, ValueCodes) {
  struct Row {
    int32_t code;
    intptr_t result;
    int value;  // -1: nothing written
  };
  const Row rows[] = {{2, 0, -1},   {4, 1, -1},  {5, 1, 800}, {6, 1, 200},
                      {7, 1, 5000}, {8, 1, 230}, {9, 1, -1},  {11, 1, 830},
                      {12, 1, 0},   {21, 1, -1}, {22, 1, -1}, {44, 1, -1}};
  for (const Row& row : rows) {
    uint16_t out = 0xBEEF;
    EXPECT_EQ(NyPrIoControl(1, row.code, &out, nullptr), row.result) << row.code;
    EXPECT_EQ(out, row.value < 0 ? 0xBEEF : row.value) << row.code;
    if (row.value >= 0) {
      EXPECT_EQ(NyPrIoControl(1, row.code, nullptr, nullptr), 0) << row.code;
    }
  }
}

TEST_F(IoControlTest, EmptyTextCodesAndCodesOutsideTheTable) {
  for (int32_t code : {17, 18, 19, 20, 23, 30, 43, 0, 45, 99, -5}) {
    char text[8] = "xxxxxxx";
    EXPECT_EQ(NyPrIoControl(1, code, text, nullptr), 0) << code;
    EXPECT_STREQ(text, "") << code;
    EXPECT_EQ(NyPrIoControl(1, code, nullptr, nullptr), 0) << code;
  }
}

TEST_F(IoControlTest, UserValueIsKeptPerPrinter) {
  int a = 0;
  int b = 0;
  EXPECT_EQ(NyPrIoControl(3, 16, &a, nullptr), 0);
  EXPECT_EQ(NyPrIoControl(3, 15, nullptr, nullptr), reinterpret_cast<intptr_t>(&a));
  EXPECT_EQ(NyPrIoControl(3, 16, &b, nullptr), reinterpret_cast<intptr_t>(&a));
  EXPECT_EQ(NyPrIoControl(3, 15, nullptr, nullptr), reinterpret_cast<intptr_t>(&b));
  EXPECT_EQ(NyPrIoControl(4, 15, nullptr, nullptr), 0);
}

TEST_F(IoControlTest, FourBytesOfCode10) {
  uint8_t out[6] = {1, 1, 1, 1, 1, 1};
  int32_t size = 3;
  EXPECT_EQ(NyPrIoControl(1, 10, out, &size), 0);
  EXPECT_EQ(out[0], 1);
  size = 4;
  EXPECT_EQ(NyPrIoControl(1, 10, out, &size), 1);
  EXPECT_EQ(size, 4);
  EXPECT_EQ(std::memcmp(out, "\xFF\xFF\xFF\xFF\x01", 5), 0);
  std::memset(out, 1, sizeof out);
  EXPECT_EQ(NyPrIoControl(1, 10, out, nullptr), 1);
  EXPECT_EQ(std::memcmp(out, "\xFF\xFF\xFF\xFF\x01", 5), 0);
  EXPECT_EQ(NyPrIoControl(1, 10, nullptr, nullptr), 0);  // nowhere to write: refused
}

TEST_F(IoControlTest, MediaInfo) {
  uint8_t raw[sizeof(MediaInfoST)];
  std::memset(raw, 0xAA, sizeof raw);
  EXPECT_EQ(NyPrIoControl(2, 13, raw, nullptr), 1);
  const uint8_t expected[20] = {0x14, 0x01, 150, 0, 55, 0, 0, 0, 2, 0,
                                0,    0,    0,   0, 4,  0, 0, 0, 0, 0};
  EXPECT_EQ(std::memcmp(raw, expected, sizeof raw), 0);
  EXPECT_EQ(NyPrIoControl(2, 13, nullptr, nullptr), 0);
}

TEST_F(IoControlTest, AddressTextOfThePrinter) {
  char text[32] = "x";
  EXPECT_EQ(NyPrIoControl(1, 1, text, nullptr), 1);
  EXPECT_STREQ(text, "");  // no settings line
  configurePrinter(1, 0xC0A8000A);
  EXPECT_EQ(NyPrIoControl(1, 1, text, nullptr), 1);
  EXPECT_STREQ(text, "192.168.0.10");
  int32_t size = 8;
  EXPECT_EQ(NyPrIoControl(1, 1, text, &size), 1);
  EXPECT_STREQ(text, "192.168");  // cut to the buffer the host named
  EXPECT_EQ(NyPrIoControl(1, 1, nullptr, nullptr), 0);
}

TEST_F(IoControlTest, ContrastLimitAndRegistration) {
  configurePrinter(1, 0x7F000001);
  char text[32];
  NyPrIoControl(1, 1, text, nullptr);  // loads the factory settings of printer 1
  stKtRSE[0].HeadRankUB = 0;
  struct {
    uint16_t speed;
    uint16_t out;
    uint32_t mode;
  } arg{150, 0, 0};
  EXPECT_EQ(NyPrIoControl(1, 3, &arg, nullptr), 0);
  EXPECT_EQ(arg.out, 75);  // 540 x 10 / (100 - 2 x 14)
  int before = nyhostRegisterCount();
  EXPECT_EQ(NyPrIoControl(1, 14, nullptr, nullptr), 1);
  EXPECT_EQ(nyhostRegisterCount(), before + 1);
  EXPECT_STREQ(nyhostRegisteredModel(), "KT3600R");
}

TEST_F(IoControlTest, PrinterNumbersOutsideTheRangeAreRefused) {
  uint16_t out = 7;
  EXPECT_EQ(NyPrIoControl(0, 5, &out, nullptr), 0);
  EXPECT_EQ(NyPrIoControl(9, 5, &out, nullptr), 0);
  EXPECT_EQ(out, 7);
}

}  // namespace
}  // namespace nypr::test
