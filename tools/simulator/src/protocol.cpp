#include "protocol.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace ktsim::detail {

namespace {

struct CommandInfo {
  const char* code;
  size_t requestLength;
  const char* answerCode;
  size_t answerLength;
};

// Every request the printer understands, with the code and length of its answer. The
// answer keeps the request's first letters and ends in a letter the request does not.
constexpr std::array<CommandInfo, 21> kCommands{{
    {"INS", 8, "INR", 11},  {"IDS", 524, "IDR", 9},  {"INE", 8, "IER", 9},
    {"ADS", 59, "ADR", 62}, {"FES", 208, "FER", 15}, {"PRS", 208, "PRR", 15},
    {"DTI", 12, "DTR", 10}, {"PSP", 8, "PSR", 9},    {"STS", 8, "STR", 53},
    {"GMS", 18, "GMR", 21}, {"BZS", 8, "BZR", 9},    {"LES", 8, "LER", 9},
    {"CDS", 9, "CDR", 41},  {"LRS", 22, "LRR", 32},  {"MIS", 8, "MIR", 9},
    {"MTS", 10, "MTR", 9},  {"MES", 8, "MER", 9},    {"PTS", 15, "PTR", 15},
    {"CTS", 8, "CTR", 9},   {"CPS", 10, "CPR", 35},  {"HCS", 20, "HCR", 217},
}};

const CommandInfo* find(std::string_view code) {
  for (const auto& c : kCommands) {
    if (code == c.code) return &c;
  }
  return nullptr;
}

bool isFlag(char c) {
  return c == '0' || c == '1';
}

// Where each answer carries its failure indicator: a flag position, or a 3-digit status.
struct FailureSpot {
  const char* code;
  int flag;    // -1: none
  int status;  // -1: none
};
constexpr std::array<FailureSpot, 21> kFailure{{
    {"INS", -1, 8}, {"IDS", 8, -1}, {"INE", 8, -1}, {"ADS", 61, 8},  {"FES", 11, 8},
    {"PRS", 11, 8}, {"DTI", 9, -1}, {"PSP", 8, -1}, {"STS", 42, 17}, {"GMS", 20, -1},
    {"BZS", 8, -1}, {"LES", 8, -1}, {"CDS", 40, 9}, {"LRS", 31, -1}, {"MIS", 8, -1},
    {"MTS", 8, -1}, {"MES", 8, -1}, {"PTS", 11, 8}, {"CTS", -1, -1}, {"CPS", 11, -1},
    {"HCS", 11, 8},
}};

const FailureSpot* failureSpot(std::string_view code) {
  for (const auto& f : kFailure) {
    if (code == f.code) return &f;
  }
  return nullptr;
}

std::string header(const PrinterState& state) {
  std::string h = state.header;
  h.resize(5, '0');
  return h;
}

std::string temperature(int tenths) {
  const int magnitude = std::min(tenths < 0 ? -tenths : tenths, 999);
  std::string text = digits(magnitude, 3);
  text.insert(text.begin(), tenths < 0 ? '-' : '0');
  return text;
}

// km, m, mm of a distance in millimetres, three digits each.
std::string distance(uint64_t mm) {
  const uint64_t km = std::min<uint64_t>(mm / 1000000, 999);
  return digits(static_cast<int64_t>(km), 3) + digits(static_cast<int64_t>((mm / 1000) % 1000), 3) +
         digits(static_cast<int64_t>(mm % 1000), 3);
}

}  // namespace

size_t requestLength(std::string_view code) {
  const auto* c = find(code);
  return c ? c->requestLength : 0;
}

std::string answerCode(std::string_view code) {
  const auto* c = find(code);
  return c ? c->answerCode : "";
}

size_t answerLength(std::string_view code) {
  const auto* c = find(code);
  return c ? c->answerLength : 0;
}

std::string digits(int64_t value, int width) {
  int64_t limit = 1;
  for (int i = 0; i < width; ++i) limit *= 10;
  value = std::clamp<int64_t>(value, 0, limit - 1);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%0*lld", width, static_cast<long long>(value));
  return buf;
}

std::optional<int> readDigits(std::string_view text, size_t pos, size_t width) {
  if (pos + width > text.size() || width == 0 || width > 9) return std::nullopt;
  int value = 0;
  for (size_t i = pos; i < pos + width; ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

std::optional<int> readSigned(std::string_view text, size_t pos, size_t width) {
  if (pos + width > text.size() || width < 2) return std::nullopt;
  if (text[pos] == '-') {
    const auto v = readDigits(text, pos + 1, width - 1);
    if (!v) return std::nullopt;
    return -*v;
  }
  return readDigits(text, pos, width);
}

std::string ipText(uint32_t ip) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) text += digits((ip >> shift) & 0xFF, 3);
  return text;
}

std::optional<uint32_t> parseIpText(std::string_view text) {
  if (text.size() != 12) return std::nullopt;
  uint32_t ip = 0;
  for (size_t i = 0; i < 4; ++i) {
    const auto part = readDigits(text, i * 3, 3);
    if (!part || *part > 255) return std::nullopt;
    ip = (ip << 8) | static_cast<uint32_t>(*part);
  }
  return ip;
}

std::string dotted(uint32_t ip) {
  char buf[20];
  std::snprintf(buf, sizeof buf, "%u.%u.%u.%u", (ip >> 24) & 0xFF, (ip >> 16) & 0xFF,
                (ip >> 8) & 0xFF, ip & 0xFF);
  return buf;
}

std::string blankAnswer(std::string_view hdr, std::string_view code) {
  std::string answer(std::max<size_t>(answerLength(code), 8), '0');
  std::string h(hdr.substr(0, 5));
  h.resize(5, '0');
  put(answer, 0, h);
  put(answer, 5, answerCode(code));
  return answer;
}

void put(std::string& answer, size_t pos, std::string_view text) {
  if (pos >= answer.size()) return;
  answer.replace(pos, std::min(text.size(), answer.size() - pos),
                 text.substr(0, answer.size() - pos));
}

void setStatus(std::string& answer, std::string_view code, int number) {
  if (code == "CTS") {
    // The cut answer is a bare number after the code.
    answer.resize(8);
    answer += std::to_string(std::max(number, 0));
    return;
  }
  const auto* spot = failureSpot(code);
  if (spot && spot->status >= 0) put(answer, static_cast<size_t>(spot->status), digits(number, 3));
}

void setFailure(std::string& answer, std::string_view code, int number) {
  const auto* spot = failureSpot(code);
  if (code == "CTS") {
    setStatus(answer, code, number == 0 ? 23 : number);
    return;
  }
  if (!spot) return;
  if (spot->flag >= 0) put(answer, static_cast<size_t>(spot->flag), "1");
  if (spot->status >= 0 && number > 0 && code != "STS") {
    put(answer, static_cast<size_t>(spot->status), digits(number, 3));
  }
}

std::string statusAnswer(const PrinterState& s) {
  std::string a = blankAnswer(header(s), "STS");
  put(a, 8, digits(s.controllerVersion, 3));
  put(a, 11, digits(s.biosVersion, 3));
  put(a, 14, digits(s.programVersion, 3));
  put(a, 17, digits(s.errorCode, 3));
  put(a, 20, digits(s.gapSensor, 3));
  put(a, 23, digits(s.markSensor, 3));
  put(a, 26, digits(s.peelSensor, 3));
  put(a, 29, digits(s.ribbonSensor, 3));
  put(a, 32, digits(s.headRank, 1));
  put(a, 33, s.headOpen ? "1" : "0");
  put(a, 34, temperature(s.headTemperature));
  put(a, 38, temperature(s.ambientTemperature));
  put(a, 42, s.statusFailure ? "1" : "0");
  put(a, 43, std::string{s.status43, s.status44});
  put(a, 45, digits(s.paperStopPosition, 1));
  put(a, 46, digits(s.cutDoorSensor, 3));
  put(a, 49, digits(s.deviceControllerVersion, 3));
  put(a, 52, std::string(1, s.status52));
  return a;
}

std::string gapMarkAnswer(PrinterState& s, std::string_view rq) {
  std::string a = blankAnswer(header(s), "GMS");
  bool ok = rq.size() == 18 && isFlag(rq[8]);
  if (ok && rq[8] == '1') {
    const auto gapRef = readDigits(rq, 11, 2);
    const auto markRef = readDigits(rq, 15, 2);
    const auto trimOk = [](char c) { return c == '+' || c == '-' || c == '0'; };
    ok = isFlag(rq[9]) && isFlag(rq[10]) && isFlag(rq[14]) && gapRef && markRef && trimOk(rq[13]) &&
         trimOk(rq[17]);
    if (ok) {
      s.markDetection = rq[9] == '1';
      s.gapManual = rq[10] == '1';
      s.gapReference = *gapRef;
      s.markManual = rq[14] == '1';
      s.markReference = *markRef;
      const auto trim = [](int value, char step) {
        return std::clamp(value + (step == '+' ? 1 : step == '-' ? -1 : 0), 0, 99);
      };
      s.gapResistance = trim(s.gapResistance, rq[13]);
      s.markResistance = trim(s.markResistance, rq[17]);
    }
  }
  if (rq.size() > 8) put(a, 8, std::string(1, rq[8]));
  put(a, 9, s.markDetection ? "1" : "0");
  put(a, 10, s.gapManual ? "1" : "0");
  put(a, 11, digits(s.gapReference, 2));
  put(a, 13, digits(s.gapResistance, 2));
  put(a, 15, s.markManual ? "1" : "0");
  put(a, 16, digits(s.markReference, 2));
  put(a, 18, digits(s.markResistance, 2));
  put(a, 20, ok ? "0" : "1");
  return a;
}

std::string distanceAnswer(PrinterState& s, std::string_view rq) {
  std::string a = blankAnswer(header(s), "LRS");
  bool ok = rq.size() == 22 && (rq[8] == '0' || rq[8] == '1' || rq[8] == '2') && isFlag(rq[12]);
  std::optional<int> warning;
  std::optional<int> km, m, mm;
  if (ok) {
    warning = readDigits(rq, 9, 3);
    km = readDigits(rq, 13, 3);
    m = readDigits(rq, 16, 3);
    mm = readDigits(rq, 19, 3);
    ok = warning.has_value() && (rq[12] == '0' || (km && m && mm));
  }
  if (ok) {
    if (rq[8] == '1') s.warningDistanceKm = std::clamp(*warning, 1, 250);
    if (rq[8] == '2') s.labelTravelMm = 0;
    if (rq[12] == '1') {
      s.bodyTravelMm = static_cast<uint64_t>(*km) * 1000000u + static_cast<uint64_t>(*m) * 1000u +
                       static_cast<uint64_t>(*mm);
    }
  }
  if (rq.size() > 8) put(a, 8, std::string(1, rq[8]));
  put(a, 9, digits(s.warningDistanceKm, 3));
  put(a, 12, distance(s.labelTravelMm));
  put(a, 21, "0");
  put(a, 22, distance(s.bodyTravelMm));
  put(a, 31, ok ? "0" : "1");
  return a;
}

std::string addressAnswer(PrinterState& s, std::string_view rq) {
  std::string a = blankAnswer(header(s), "ADS");
  bool ok = rq.size() == 59 && isFlag(rq[8]);
  int status = ok ? 0 : 23;
  if (ok && rq[8] == '1') {
    const auto ip = parseIpText(rq.substr(21, 12));
    const auto mask = parseIpText(rq.substr(33, 12));
    const auto gateway = parseIpText(rq.substr(45, 12));
    if (ip && mask && gateway && *ip != 0) {
      s.ip = *ip;
      s.mask = *mask;
      s.gateway = *gateway;
    } else {
      ok = false;
      status = 50;  // setting out of range
    }
  }
  put(a, 8, digits(status, 3));
  std::string mac = s.mac;
  mac.resize(12, '0');
  put(a, 11, mac);
  put(a, 23, ipText(s.ip));
  put(a, 35, ipText(s.mask));
  put(a, 47, ipText(s.gateway));
  put(a, 59, rq.size() >= 59 ? rq.substr(57, 2) : "00");
  put(a, 61, ok ? "0" : "1");
  return a;
}

std::string cardAnswer(const PrinterState& s, std::string_view rq) {
  std::string a = blankAnswer(header(s), "CDS");
  const auto number = readDigits(rq, 8, 1);
  if (rq.size() != 9 || !number) {
    put(a, 9, digits(10, 3));  // wrong card number
    put(a, 40, "1");
    return a;
  }
  const MemoryCard& card = s.cards[static_cast<size_t>(*number)];
  put(a, 8, std::string(1, rq[8]));
  if (!card.present) {
    put(a, 9, digits(7, 3));  // no card mounted
    put(a, 40, "1");
    return a;
  }
  std::string first = card.firstSize, second = card.secondSize;
  first.resize(12, '0');
  second.resize(12, '0');
  put(a, 9, digits(card.readError, 3));
  put(a, 12, digits(card.files, 4));
  put(a, 16, first);
  put(a, 28, second);
  put(a, 40, card.readError != 0 ? "1" : "0");
  return a;
}

std::string cutPositionAnswer(PrinterState& s, std::string_view rq) {
  // The cutter moves one dot per step, at most 10 mm (120 dots) from its base.
  constexpr int kReach = 120;
  std::string a = blankAnswer(header(s), "CPS");
  bool ok = rq.size() == 10;
  if (ok) {
    const std::string_view op = rq.substr(8, 2);
    if (op == "00") {
    } else if (op == "1+" || op == "1-") {
      const int target = s.cutPositionDots + (op == "1+" ? 1 : -1);
      ok = target >= s.cutBaseDots - kReach && target <= s.cutBaseDots + kReach && target >= 0;
      if (ok) s.cutPositionDots = target;
    } else if (op == "20") {
      s.cutPositionDots = s.cutBaseDots;
    } else if (op == "30") {
      s.cutCount = 0;
    } else {
      ok = false;
    }
    put(a, 8, op);
  }
  const int offset = s.cutPositionDots - s.cutBaseDots;
  const int tenthsMm = (offset < 0 ? -offset : offset) * 10 / 12;
  put(a, 17, digits(s.cutPositionDots, 4));
  put(a, 21, offset < 0 ? "1" : "0");
  put(a, 22, digits(tenthsMm / 10, 4));
  put(a, 26, std::string(1, static_cast<char>('0' + tenthsMm % 10)));
  put(a, 27, digits(s.cutCount, 8));
  put(a, 11, ok ? "0" : "1");
  return a;
}

std::string headCheckAnswer(const PrinterState& s, std::string_view rq) {
  // 200 bytes after position 17 hold at most 50 four-digit positions; the count has 2.
  constexpr int kMaxListed = 50;
  std::string a = blankAnswer(header(s), "HCS");
  const auto from = readDigits(rq, 8, 4);
  const auto to = readDigits(rq, 12, 4);
  const auto most = readDigits(rq, 16, 4);
  if (rq.size() != 20 || !from || !to || !most || *from < 1 || *to > 960 || *from > *to) {
    put(a, 11, "1");
    put(a, 15, "00");
    return a;
  }
  const int limit = std::min(*most, kMaxListed);
  int count = 0;
  std::vector<int> dots = s.brokenDots;
  std::sort(dots.begin(), dots.end());
  for (int dot : dots) {
    if (dot < *from || dot > *to || count >= limit) continue;
    put(a, 17 + static_cast<size_t>(count) * 4, digits(dot, 4));
    ++count;
  }
  put(a, 15, digits(count, 2));
  return a;
}

std::string cutAnswer(PrinterState& s) {
  std::string a = blankAnswer(header(s), "CTS");
  const int error = s.headOpen ? 1 : s.cutError;
  if (error == 0) ++s.cutCount;
  setStatus(a, "CTS", error);
  return a;
}

std::string simpleAnswer(PrinterState& s, std::string_view code, std::string_view rq) {
  std::string a = blankAnswer(header(s), code);
  bool ok = rq.size() == requestLength(code);
  if (!ok) {
    setFailure(a, code, 23);
    return a;
  }
  if (code == "BZS") {
    ++s.buzzerTests;
  } else if (code == "LES") {
    ++s.ledTests;
  } else if (code == "MIS") {
    s.motorTestMode = true;
  } else if (code == "MES") {
    ok = s.motorTestMode;
    s.motorTestMode = s.innerMotorRunning = s.outerMotorRunning = false;
  } else if (code == "MTS") {
    ok = s.motorTestMode && isFlag(rq[8]) && isFlag(rq[9]);
    if (ok) (rq[8] == '0' ? s.innerMotorRunning : s.outerMotorRunning) = rq[9] == '1';
  }
  if (!ok) setFailure(a, code, 0);
  return a;
}

std::optional<PrintConditions> parseConditions(std::string_view payload, int* badField) {
  auto fail = [&](int field) -> std::optional<PrintConditions> {
    if (badField) *badField = field;
    return std::nullopt;
  };
  if (payload.size() != 208) return fail(0);
  const std::string_view d = payload.substr(8);
  PrintConditions c;
  const auto width = readDigits(d, 0, 4);
  if (!width || *width == 0) return fail(1);
  const auto length = readDigits(d, 4, 4);
  if (!length || *length == 0) return fail(2);
  const auto gap = readDigits(d, 8, 3);
  if (!gap) return fail(3);
  const auto c1 = readDigits(d, 11, 3);
  if (!c1) return fail(4);
  const auto c2 = readDigits(d, 14, 3);
  if (!c2) return fail(5);
  for (size_t i = 17; i <= 21; ++i) {
    if (!isFlag(d[i])) return fail(static_cast<int>(i) - 11);
  }
  const auto x = readSigned(d, 22, 3);
  if (!x) return fail(11);
  const auto y = readSigned(d, 25, 3);
  if (!y) return fail(12);
  const auto copies = readDigits(d, 28, 4);
  if (!copies || *copies == 0) return fail(13);
  c.widthDots = *width;
  c.lengthDots = *length;
  c.gapDots = *gap;
  c.condition1 = *c1;
  c.condition2 = *c2;
  c.thermalTransfer = d[17] == '1';
  c.flag8 = d[18] == '1';
  c.autoPeel = d[19] == '1';
  c.flag4 = d[20] == '1';
  c.flag2 = d[21] == '1';
  c.posAdjX = *x;
  c.posAdjY = *y;
  c.copies = *copies;
  c.settings = std::string(d.substr(32, 168));
  c.raw = std::string(d);
  return c;
}

std::string discoveryReply(const PrinterState& s) {
  std::string mac = s.mac;
  mac.resize(12, '0');
  std::string model = s.modelText;
  model.resize(18, ' ');
  return "MiraMachine" + digits(s.machineNumber, 2) + mac + model;
}

}  // namespace ktsim::detail
