// Error codes to message texts, as the host reads them through NyPrGetPrintError and as
// the auxiliary channel builds them.
#include "status/error_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "core/host_api.h"
#include "core/slots.h"
#include "driver/module_entry.h"
#include "host_fixture.h"
#include "nyhost/nyhost_control.h"
#include "nyprkt3600r/nyprkt3600r.h"
#include "platform/text.h"
#include "test_data.h"

namespace nypr {
namespace {

using test::cp932;
using testing::messageText;

// A fresh stand-in host with the module attached (its language loader reaches the
// module's strings through it) and every printer slot without an error.
class ErrorTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    nyhostReset();
    moduleAttach();
    std::memset(stKtRSE, 0, sizeof stKtRSE);
    for (PrinterSlot& slot : stKtRSE) slot.dwLastError = slot.dwError = kNoError;
  }
  void TearDown() override {
    for (uint32_t id : {97u, 108u, 1001u, 1002u}) nyhostSetHostString(id, nullptr);
    nyhostReset();
  }

  // The host's view: code returned and text written for printer number `printerNo`.
  std::string hostText(uint8_t printerNo, uint32_t* code = nullptr) {
    char buf[1024];
    std::memset(buf, 'X', sizeof buf);
    const uint32_t result = NyPrGetPrintError(printerNo, buf, sizeof buf);
    if (code != nullptr) *code = result;
    return std::string(buf, strnlen(buf, sizeof buf));
  }
  std::string auxiliaryText(const PrinterSlot* slot) {
    char buf[1024];
    SE_GetErrorTextFnV(slot, buf, sizeof buf);
    return buf;
  }
  void setError(uint8_t index, uint32_t code, int32_t detail = kNoError) {
    stKtRSE[index].dwLastError = code;
    stKtRSE[index].dwError = detail;
  }
};

TEST_F(ErrorTextTest, EveryMessageComesOutInCp932WithItsAppendix) {
  const std::pair<const char*, size_t> tables[] = {
      {"printer_errors", 107}, {"driver_errors", 43}, {"printer_conditions", 5}};
  for (const auto& [table, size] : tables) {
    const auto texts = testing::readMessageTable(table);
    ASSERT_EQ(texts.size(), size) << table;
    for (const testing::MessageText& entry : texts) {
      // A detail number must not appear anywhere but after the codes that take one.
      int32_t detail = kNoError;
      std::string appendix;
      if (entry.code == 60301) {
        detail = 7;
        appendix = "No.007";
      } else if (entry.code >= 60401 && entry.code <= 60404) {
        detail = 61;
        appendix = "No.00061";
      }
      // A character without a CP932 form would come out as "?" on both sides.
      EXPECT_EQ(cp932(entry.utf8).find('?'), entry.utf8.find('?')) << "code " << entry.code;
      setError(2, entry.code, detail);
      uint32_t code = 0;
      EXPECT_EQ(hostText(3, &code), cp932(entry.utf8) + appendix) << "code " << entry.code;
      EXPECT_EQ(code, entry.code);
    }
  }
}

TEST_F(ErrorTextTest, StringRangesHostMessagesAndTheFallback) {
  nyhostSetHostString(108, "host text 108");
  nyhostSetHostString(12345, nullptr);  // a host message the host does not have
  // Host texts cut after a lead byte: alone, and after a character whose trail byte is
  // itself a lead byte value.
  nyhostSetHostString(1001, "\x82");
  nyhostSetHostString(1002, "\x82\x82\x82");
  char wide[512];
  ASSERT_GT(LoadStringFnI(40019, wide, sizeof wide), 0);  // the host's own text
  setError(0, 22);
  const std::string printerTimeout = hostText(1);
  const struct {
    uint32_t code;
    std::string text;
  } rows[] = {
      {60122, printerTimeout},  // the driver's time-out is the printer's number 22
      {950, ""},                // a printer condition without a text is empty, not the fallback
      {108, "host text 108"},
      {40019, wide},
      {12345, "ERROR:12345"},
      {1001, "ERROR:1001"},
      {1002, "\x82\x82"},
      {61234, "ERROR:61234"},  // a driver id without a string
  };
  for (const auto& r : rows) {
    setError(0, r.code);
    uint32_t code = 0;
    EXPECT_EQ(hostText(1, &code), r.text) << "code " << r.code;
    EXPECT_EQ(code, r.code);
  }
}

TEST_F(ErrorTextTest, NoErrorGivesItsFallbackTextNoSlotOrNoBufferNoText) {
  // "No error" is looked up like any host message; the result stays 0.
  uint32_t code = 1;
  EXPECT_EQ(hostText(1, &code), "ERROR:300");  // dwLastError at its no-error value
  EXPECT_EQ(code, 0u);
  nyhostSetHostString(300, "host text 300");
  EXPECT_EQ(hostText(1, &code), "host text 300");
  nyhostSetHostString(300, nullptr);
  setError(0, 0);
  EXPECT_EQ(hostText(1, &code), "ERROR:0");
  EXPECT_EQ(code, 0u);

  // Printer numbers outside 1..8 name no slot.
  for (PrinterSlot& slot : stKtRSE) slot.dwLastError = 60402;
  for (uint8_t number : {0, 9, 200, 255}) {
    code = 1;
    EXPECT_EQ(hostText(number, &code), "") << int(number);
    EXPECT_EQ(code, 0u);
  }
  EXPECT_EQ(NyPrGetPrintError(0, nullptr, 0), 0u);
  hostText(8, &code);
  EXPECT_EQ(code, 60402u);

  // Without a buffer only the code is returned.
  setError(4, 60400);
  EXPECT_EQ(NyPrGetPrintError(5, nullptr, 100), 60400u);
  char buf[16] = {'a', 'b', 'c', 'd'};
  EXPECT_EQ(NyPrGetPrintError(5, buf, 0), 60400u);
  EXPECT_EQ(NyPrGetPrintError(5, buf, -5), 60400u);
  EXPECT_EQ(std::string(buf, 4), "abcd");

  // The internal variant refuses slots out of range.
  GetErrorTextFnV(8, buf, sizeof buf);
  EXPECT_STREQ(buf, "");
  GetErrorTextFnV(0, nullptr, 10);
}

TEST_F(ErrorTextTest, TextsAreCutAtCharacterBoundariesAndTerminated) {
  setError(0, 60402, 10061);
  char full[1024];
  ASSERT_NE(NyPrGetPrintError(1, full, sizeof full), 0u);
  const std::string text = full;
  std::set<size_t> boundaries;
  for (size_t i = 0; i <= text.size();) {
    boundaries.insert(i);
    if (i == text.size()) break;
    i += platform::isCp932LeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
  }
  for (int32_t size = 1; size <= static_cast<int32_t>(text.size()) + 2; ++size) {
    char buf[1100];
    std::memset(buf, 'Z', sizeof buf);
    NyPrGetPrintError(1, buf, size);
    const size_t len = strnlen(buf, sizeof buf);
    ASSERT_LT(len, static_cast<size_t>(size)) << "size " << size;
    EXPECT_EQ(buf[size], 'Z') << "wrote past the buffer at size " << size;
    EXPECT_EQ(text.compare(0, len, buf, len), 0);
    EXPECT_TRUE(boundaries.count(len)) << "cut inside a character at size " << size;
    // Nothing more would have fitted.
    auto next = boundaries.upper_bound(len);
    if (next != boundaries.end()) {
      EXPECT_GE(*next, static_cast<size_t>(size));
    }
  }
}

TEST_F(ErrorTextTest, AuxiliaryVariantKnowsPrinterNumbersUpTo96) {
  nyhostSetHostString(97, "host 97");
  const struct {
    uint32_t code;
    int32_t detail;
    std::string text;
  } rows[] = {
      {96, kNoError, cp932(messageText(96))},
      {97, kNoError, "host 97"},
      {105, kNoError, "ERROR:105"},  // no host text either
      {999, kNoError, cp932(messageText(999))},
      {60404, 10054, cp932(messageText(60404)) + "No.10054"},
      {kNoError, kNoError, "ERROR:300"},
  };
  PrinterSlot& slot = stKtRSE[6];
  for (const auto& r : rows) {
    slot.dwLastError = r.code;
    slot.dwError = r.detail;
    EXPECT_EQ(auxiliaryText(&slot), r.text) << "code " << r.code;
  }
  EXPECT_EQ(auxiliaryText(nullptr), "");
}

}  // namespace
}  // namespace nypr
