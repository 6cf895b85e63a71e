#include "remote_codec.h"

#include <gtest/gtest.h>

#include "remote_protocol.h"

namespace ktsim::remote {
namespace {

template <class T>
std::string encode(const T& value) {
  Writer w;
  w(value);
  return w.bytes();
}

template <class T>
T decode(const std::string& bytes) {
  Reader in(bytes);
  T value{};
  in(value);
  in.finish();
  return value;
}

// A job with every field away from its default, binary raster and frame bytes included.
JobRecord sampleJob() {
  JobRecord j;
  j.id = 0x0123456789ABCDEFull;
  j.kind = JobKind::TestPrint;
  j.state = JobState::Abandoned;
  j.conditions = {.widthDots = 640,
                  .lengthDots = -5,
                  .gapDots = 24,
                  .condition1 = 100,
                  .condition2 = 7,
                  .thermalTransfer = true,
                  .flag8 = true,
                  .autoPeel = true,
                  .flag4 = true,
                  .flag2 = true,
                  .posAdjX = -3,
                  .posAdjY = 4,
                  .copies = 9999,
                  .settings = std::string(168, '1'),
                  .raw = std::string("\0\x02\x03\xFF", 4)};
  j.bytesPerLine = 80;
  j.framesExpected = 2;
  j.framesReceived = 1;
  j.lines = {{0x00, 0xFF, 0x02}, {}, {0x03}};
  j.copiesIssued = 3;
  j.endError = 998;
  j.reports = {{.job = 1, .error = 35, .remaining = 2, .delivered = true, .connection = 4}};
  return j;
}

PrinterState sampleState() {
  PrinterState s;
  s.header = "21200";
  s.controllerVersion = 1;
  s.biosVersion = 2;
  s.programVersion = 3;
  s.deviceControllerVersion = 4;
  s.errorCode = 5;
  s.gapSensor = 6;
  s.markSensor = 7;
  s.peelSensor = 8;
  s.ribbonSensor = 9;
  s.cutDoorSensor = 10;
  s.headRank = 7;
  s.headOpen = true;
  s.headTemperature = -11;
  s.ambientTemperature = -12;
  s.statusFailure = true;
  s.status43 = 'a';
  s.status44 = 'b';
  s.paperStopPosition = 6;
  s.status52 = 'c';
  s.markDetection = s.gapManual = s.markManual = true;
  s.gapReference = 13;
  s.gapResistance = 14;
  s.markReference = 15;
  s.markResistance = 16;
  s.warningDistanceKm = 17;
  s.labelTravelMm = 1ull << 40;
  s.bodyTravelMm = (1ull << 63) + 1;
  s.mac = "AABBCCDDEEFF";
  s.ip = 0x7F000102u;
  s.mask = 0xFFFF0000u;
  s.gateway = 0x7F000001u;
  s.cards[9] = {.present = true, .readError = 18, .files = 19, .firstSize = "1", .secondSize = "2"};
  s.cutPositionDots = 20;
  s.cutBaseDots = 21;
  s.cutCount = 0xFFFFFFFFu;
  s.cutError = 22;
  s.brokenDots = {1, 960};
  s.machineNumber = 23;
  s.modelText = "model";
  s.printSpeed = 24;
  s.stopReportError = 25;
  s.peelSensorWithLabel = 26;
  s.buzzerTests = 27;
  s.ledTests = 28;
  s.motorTestMode = s.innerMotorRunning = s.outerMotorRunning = true;
  return s;
}

TEST(RemoteCodec, EveryRecordComesBackAsSent) {
  const PrinterState state = sampleState();
  EXPECT_EQ(decode<PrinterState>(encode(state)), state);
  const JobRecord job = sampleJob();
  EXPECT_EQ(decode<JobRecord>(encode(job)), job);
  EXPECT_EQ(decode<std::optional<JobRecord>>(encode(std::optional<JobRecord>())), std::nullopt);

  const Fault fault{.code = "DTI",
                    .port = Port::Finish,
                    .connection = 3,
                    .skip = 2,
                    .times = -1,
                    .action = FaultAction::Truncate,
                    .answerCode = "ABR",
                    .delay = Millis(-7),
                    .segments = 5,
                    .number = -9,
                    .header = "2S201"};
  EXPECT_EQ(decode<Fault>(encode(fault)), fault);
  const FrameRecord frame{.connection = 2,
                          .port = Port::Finish,
                          .received = false,
                          .valid = false,
                          .bytes = std::string("\x02\0\xFF", 3)};
  EXPECT_EQ(decode<FrameRecord>(encode(frame)), frame);
  const ConnectionRecord connection{
      .id = 5, .port = Port::Finish, .peer = "127.1.2.3:4", .open = false, .closedByPrinter = true};
  EXPECT_EQ(decode<ConnectionRecord>(encode(connection)), connection);
  const PrintedLabel label{.job = 1,
                           .copy = 2,
                           .kind = JobKind::Feed,
                           .width = 2,
                           .height = 2,
                           .pixels = {0, 255, 255, 0},
                           .file = "/tmp/a b/label.png"};
  EXPECT_EQ(decode<PrintedLabel>(encode(label)), label);
  const ProgramRecord program{
      .started = true, .complete = true, .blocks = 1, .data = std::vector<uint8_t>(512, 0xA5)};
  EXPECT_EQ(decode<ProgramRecord>(encode(program)), program);

  Options options;
  options.address = "127.0.0.9";
  options.commandPort = 1;
  options.finishPort = 2;
  options.listenBacklog = 3;
  options.discovery = true;
  options.discoveryAddress = "0.0.0.0";
  options.discoveryPort = 4;
  options.outputDir = "/tmp/out";
  options.timeScale = 0.25;
  options.verbose = true;
  const auto back = decode<Options>(encode(options));
  EXPECT_EQ(encode(back), encode(options));
  EXPECT_EQ(back.timeScale, 0.25);
  EXPECT_EQ(back.outputDir, "/tmp/out");
}

TEST(RemoteCodec, MalformedMessagesAreErrors) {
  const std::string job = encode(sampleJob());
  // Every message cut short is refused, whatever field it ends in.
  for (size_t n = 0; n < job.size(); ++n) {
    EXPECT_THROW(decode<JobRecord>(job.substr(0, n)), CodecError) << n;
  }
  EXPECT_THROW(decode<JobRecord>(job + "x"), CodecError);
  EXPECT_THROW(decode<Port>("\x02"), CodecError);  // an enum out of range
}

}  // namespace
}  // namespace ktsim::remote
