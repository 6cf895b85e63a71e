// Frames, command tables and answer recognition, with the bytes as they go on the wire.
#include "link/frame.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "link/aux_channel.h"
#include "link/command_table.h"
#include "link/commands.h"
#include "test_data.h"

namespace nypr {
namespace {

std::string framed(const std::string& digitsAndPayload) {
  return "\x02" + digitsAndPayload + "\x03";
}

// A payload buffer with room for the longest payload.
std::string payloadOf(const char* code) {
  return std::string("2S200") + code;
}

TEST(Frame, LongestPayloadAndTheLimits) {
  std::vector<char> buf(1400, 'x');
  EXPECT_EQ(KtMakeFrameFnI(buf.data(), 1390), 1396);
  EXPECT_EQ(buf[0], kStx);
  EXPECT_EQ(std::string(buf.data() + 1, 4), "1390");
  EXPECT_EQ(buf[1395], kEtx);

  std::vector<char> untouched(1400, 'y');
  EXPECT_EQ(KtMakeFrameFnI(untouched.data(), 1391), 0);
  EXPECT_EQ(untouched, std::vector<char>(1400, 'y'));

  std::vector<char> empty(8, 'z');
  EXPECT_EQ(KtMakeFrameFnI(empty.data(), 0), -1);
  EXPECT_EQ(empty[0], kStx);
  EXPECT_EQ(std::string(empty.data() + 1, 7), "zzzzzzz");  // only the STX written
}

// Every command's number, code letters, payload length and expected answer, read from
// tests/data/link/commands.txt.
TEST(CommandTable, CodesLengthsAndAnswersOfEveryCommand) {
  const auto rows = testing::readTestTable("link/commands.txt");
  ASSERT_EQ(rows.size(), 46u);
  for (const auto& row : rows) {
    SCOPED_TRACE(row[1]);
    const int no = std::stoi(row[0]);
    EXPECT_EQ(KtGetCmdTypeFnI(payloadOf(row[1].c_str()).c_str()), no);
    if (no < 0) continue;
    const bool request = row[3] == "request";
    char payload[16] = "........";
    KtSetCmdHeaderFnV(payload, no);
    EXPECT_EQ(std::string(payload, 8), request ? payloadOf(row[1].c_str()) : "2S200...");
    EXPECT_EQ(KtGetCmdLenFnI(no, 0), std::stoi(row[2]));
    EXPECT_EQ(KtGetAnsTypeFnI(no), request ? no + 1 : -1);
  }
  EXPECT_EQ(KtGetCmdLenFnI(13, 400), 412);  // DTI: data + 12
  for (int none : {38, 80, -1, 1000}) {
    EXPECT_EQ(KtGetCmdLenFnI(none, 5), 0) << none;
    EXPECT_EQ(KtGetAnsTypeFnI(none), -1) << none;
  }
  char payload[16] = "........";
  KtSetCmdHeaderFnV(payload, 38);  // past the table: the header alone
  EXPECT_EQ(std::string(payload, 8), "2S200...");
}

// The right answer, another code and an echo are the wire tests' answers; here a request
// the driver does not know.
TEST(Recognition, NoAnswerIsRightForAnUnknownRequest) {
  EXPECT_EQ(KtIsRightAnsFnBL("2S200XYZ", "2S200XYR0"), 0);
}

TEST(Recognition, TheCodeDecidesWhateverTheAnswersLength) {
  const std::string request = payloadOf("BZS");
  const std::string whole = framed("00092S200BZR0");
  EXPECT_TRUE(KtAnswerMatches(request.data(), 8, whole.data(), static_cast<int>(whole.size())));
  // Without its flag byte the answer is still the answer; the code letters must be there.
  EXPECT_TRUE(KtAnswerMatches(request.data(), 8, whole.data(), 13));
  EXPECT_FALSE(KtAnswerMatches(request.data(), 8, whole.data(), 12));
  EXPECT_FALSE(KtAnswerMatches(request.data(), 7, whole.data(), static_cast<int>(whole.size())));
  const std::string sts = framed("00392S200STR" + std::string(31, '0'));
  EXPECT_TRUE(KtAnswerMatches(payloadOf("STS").data(), 8, sts.data(), 44));
}

TEST(Recognition, ReadNumberStopsAtTheFieldOrANonDigit) {
  EXPECT_EQ(KtReadNumber("005", 3), 5);
  EXPECT_EQ(KtReadNumber("0057", 3), 5);
  EXPECT_EQ(KtReadNumber("12a", 3), 12);
  EXPECT_EQ(KtReadNumber("x12", 3), 0);
  EXPECT_EQ(KtReadNumber("999999999999", 12), 999999999);  // bounded, no overflow
}

// Clamps and read modes: tests/data/link/distance_request.txt.
TEST(DistanceRequest, ClampsAndReadModes) {
  for (const auto& row : testing::readTestTable("link/distance_request.txt")) {
    std::string payload = "2S200LRS" + row[0];
    KtAdjustDistanceRequest(payload.data());
    EXPECT_EQ(payload.substr(8), row[1]) << row[0];
  }
}

// A peer that hands out scripted chunks, as TCP segments arrive.
struct Script {
  explicit Script(std::vector<std::string> c) : chunks(std::move(c)) {}

  std::vector<std::string> chunks;
  size_t next = 0;
  size_t offset = 0;  // into chunks[next]
  int reads = 0;
  std::vector<int> asked;

  static int read(void* ctx, char* buf, int len) {
    auto* self = static_cast<Script*>(ctx);
    ++self->reads;
    self->asked.push_back(len);
    if (self->next >= self->chunks.size()) return 0;
    const std::string& chunk = self->chunks[self->next];
    const size_t n = std::min(chunk.size() - self->offset, static_cast<size_t>(len));
    std::memcpy(buf, chunk.data() + self->offset, n);
    self->offset += n;
    if (self->offset == chunk.size()) {
      ++self->next;
      self->offset = 0;
    }
    return static_cast<int>(n);
  }
};

int receiveScript(Script& script, std::string& out, int cap = 100) {
  std::vector<char> buf(static_cast<size_t>(cap), '\0');
  int got = receiveAnswer(&Script::read, &script, buf.data(), cap);
  out.assign(buf.data(), got > 0 ? static_cast<size_t>(got) : 0);
  return got;
}

TEST(ReceiveAnswer, GathersASplitFrameAndLeavesTheNextOnTheWire) {
  const std::string answer = framed("00092S200BZR0");
  Script script{{answer.substr(0, 3), answer.substr(3, 7), answer.substr(10)}};
  std::string got;
  EXPECT_EQ(receiveScript(script, got), 15);
  EXPECT_EQ(got, answer);
  // The rest of the frame is asked for, never more.
  EXPECT_EQ(script.asked, (std::vector<int>{100, 2, 10, 5}));

  const std::string second = framed("00092S200LER0");
  Script two{{answer.substr(0, 4), answer.substr(4) + second}};
  EXPECT_EQ(receiveScript(two, got), 15);
  EXPECT_EQ(got, answer);
  EXPECT_EQ(receiveScript(two, got), 15);
  EXPECT_EQ(got, second);
}

// Bytes without a frame start, ended streams and a buffer smaller than the frame:
// tests/data/link/receive_answer.txt.
TEST(ReceiveAnswer, OtherBytesEndedStreamsAndFullBuffers) {
  for (const auto& row : testing::readTestTable("link/receive_answer.txt")) {
    SCOPED_TRACE(row[3]);
    std::vector<std::string> chunks;
    std::string all;
    for (size_t i = 4; i < row.size(); ++i) {
      chunks.push_back(testing::unescapedField(row[i]));
      all += chunks.back();
    }
    Script script{chunks};
    std::string got;
    const int count = std::stoi(row[1]);
    EXPECT_EQ(receiveScript(script, got, std::stoi(row[0])), count);
    EXPECT_EQ(script.reads, std::stoi(row[2]));
    EXPECT_EQ(got, all.substr(0, static_cast<size_t>(count)));
  }
}

TEST(ReceiveAnswer, FrameBytesMissing) {
  for (const auto& row : testing::readTestTable("link/frame_bytes_missing.txt")) {
    const std::string bytes = testing::unescapedField(row[0]);
    EXPECT_EQ(frameBytesMissing(bytes.data(), static_cast<int>(bytes.size())), std::stoi(row[1]))
        << row[0];
  }
}

// The wire tests check each command's bytes; here the header by kind and which answer
// answers which request.
TEST(AuxTable, HeadersByKindAndAnswers) {
  const std::tuple<int, int, const char*> headers[] = {{kSeCmdCTS, kKindKt3600r, "2S200CTS"},
                                                       {kSeCmdACS, kKind277, "6S200ACS"},
                                                       {kSeCmdCPS, kKind283, "2A200CPS"},
                                                       {kSeCmdHCS, kKind284, "6A200HCS"}};
  for (const auto& [command, kind, header] : headers) {
    char payload[16] = "........";
    SE_SetCmdHeaderFnV(payload, command, kind);
    EXPECT_EQ(std::string(payload, 8), header);
  }
  char untouched[16] = "........";
  SE_SetCmdHeaderFnV(untouched, 38, 999);  // unknown kind, a command the channel does not send
  EXPECT_EQ(std::string(untouched, 8), "........");
  EXPECT_EQ(SE_GetCmdLenFnI(38), 0);

  for (const auto& row : testing::readTestTable("link/aux_answers.txt")) {
    EXPECT_EQ(SE_IsRightAns(row[0].c_str(), row[1].c_str()), std::stoi(row[2])) << row[0] << row[1];
  }

  const std::string request = payloadOf("HCS");
  const std::string answer = framed("02172S200HCR" + std::string(209, '0'));
  EXPECT_TRUE(SE_AnswerMatches(request.data(), 20, answer.data(), static_cast<int>(answer.size())));
  EXPECT_TRUE(SE_AnswerMatches(request.data(), 20, answer.data(), 100));
  EXPECT_FALSE(SE_AnswerMatches(request.data(), 20, answer.data(), 12));
}

}  // namespace
}  // namespace nypr
