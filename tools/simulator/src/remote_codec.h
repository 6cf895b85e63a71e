// The binary archive of the remote control: integers little-endian at their own width,
// strings and vectors as a 4-byte count and their elements, optionals as a flag and the
// value, enums range-checked, each record as its fields in one list (`fields()` below,
// used for both directions). Frame bytes, pixels and paths travel byte for byte.
//
// Reading is bounds-checked: a message that ends early, announces more elements than it
// holds, carries an enum out of range or has bytes left over throws CodecError.
#pragma once

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "ktsim/simulator.h"
#include "ktsim/socket.h"
#include "remote_protocol.h"

namespace ktsim::remote {

struct CodecError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Number of values of each enum that crosses the wire (for the range check).
constexpr int enumCount(Port) {
  return 2;
}
constexpr int enumCount(FaultAction) {
  return static_cast<int>(FaultAction::Truncate) + 1;
}
constexpr int enumCount(JobKind) {
  return 3;
}
constexpr int enumCount(JobState) {
  return static_cast<int>(JobState::Abandoned) + 1;
}

template <class T>
struct IsVector : std::false_type {};
template <class T>
struct IsVector<std::vector<T>> : std::true_type {};
template <class T>
struct IsArray : std::false_type {};
template <class T, size_t N>
struct IsArray<std::array<T, N>> : std::true_type {};
template <class T>
struct IsOptional : std::false_type {};
template <class T>
struct IsOptional<std::optional<T>> : std::true_type {};

class Writer {
 public:
  template <class... T>
  void operator()(const T&... values) {
    (put(values), ...);
  }
  const std::string& bytes() const { return out_; }
  // Bytes already encoded elsewhere (a call's result after its status).
  void append(std::string_view encoded) { out_.append(encoded); }

  template <class T>
  void put(const T& v) {
    if constexpr (std::is_same_v<T, bool>) {
      out_.push_back(v ? 1 : 0);
    } else if constexpr (std::is_enum_v<T>) {
      putInt(static_cast<uint8_t>(v));
    } else if constexpr (std::is_integral_v<T>) {
      putInt(v);
    } else if constexpr (std::is_same_v<T, double>) {
      uint64_t bits;
      std::memcpy(&bits, &v, sizeof bits);
      putInt(bits);
    } else if constexpr (std::is_same_v<T, Millis>) {
      putInt(static_cast<int64_t>(v.count()));
    } else if constexpr (std::is_same_v<T, std::string>) {
      putCount(v.size());
      out_.append(v);
    } else if constexpr (std::is_same_v<T, std::vector<uint8_t>>) {
      putCount(v.size());
      out_.append(reinterpret_cast<const char*>(v.data()), v.size());
    } else if constexpr (IsVector<T>::value) {
      putCount(v.size());
      for (const auto& e : v) put(e);
    } else if constexpr (IsArray<T>::value) {
      for (const auto& e : v) put(e);
    } else if constexpr (IsOptional<T>::value) {
      put(v.has_value());
      if (v) put(*v);
    } else {
      // The field lists take records by reference for both directions; writing only
      // reads through it.
      fields(*this, const_cast<T&>(v));
    }
  }

 private:
  template <class I>
  void putInt(I v) {
    using U = std::make_unsigned_t<I>;
    U u = static_cast<U>(v);
    for (size_t i = 0; i < sizeof(I); ++i) {
      out_.push_back(static_cast<char>(u & 0xFF));
      u = static_cast<U>(u >> 4 >> 4);
    }
  }
  void putCount(size_t n);

  std::string out_;
};

class Reader {
 public:
  explicit Reader(std::string_view in) : in_(in) {}
  template <class... T>
  void operator()(T&... values) {
    (get(values), ...);
  }
  // Throws unless every byte was read.
  void finish() const;

  template <class T>
  void get(T& v) {
    if constexpr (std::is_same_v<T, bool>) {
      const uint8_t b = getInt<uint8_t>();
      if (b > 1) throw CodecError("bad flag");
      v = b == 1;
    } else if constexpr (std::is_enum_v<T>) {
      const uint8_t n = getInt<uint8_t>();
      if (n >= enumCount(T{})) throw CodecError("enum out of range");
      v = static_cast<T>(n);
    } else if constexpr (std::is_integral_v<T>) {
      v = getInt<T>();
    } else if constexpr (std::is_same_v<T, double>) {
      const uint64_t bits = getInt<uint64_t>();
      std::memcpy(&v, &bits, sizeof v);
    } else if constexpr (std::is_same_v<T, Millis>) {
      v = Millis(getInt<int64_t>());
    } else if constexpr (std::is_same_v<T, std::string>) {
      const auto bytes = take(getCount(1));
      v.assign(bytes.data(), bytes.size());
    } else if constexpr (std::is_same_v<T, std::vector<uint8_t>>) {
      const auto bytes = take(getCount(1));
      v.assign(bytes.begin(), bytes.end());
    } else if constexpr (IsVector<T>::value) {
      // Every element takes at least one byte: a count beyond what is left is a lie.
      v.clear();
      v.resize(getCount(1));
      for (auto& e : v) get(e);
    } else if constexpr (IsArray<T>::value) {
      for (auto& e : v) get(e);
    } else if constexpr (IsOptional<T>::value) {
      bool present = false;
      get(present);
      if (!present) {
        v.reset();
        return;
      }
      v.emplace();
      get(*v);
    } else {
      fields(*this, v);
    }
  }

 private:
  template <class I>
  I getInt() {
    using U = std::make_unsigned_t<I>;
    const auto bytes = take(sizeof(I));
    U u = 0;
    for (size_t i = sizeof(I); i-- > 0;) {
      u = static_cast<U>(u << 4 << 4);
      u = static_cast<U>(u | static_cast<uint8_t>(bytes[i]));
    }
    return static_cast<I>(u);
  }
  // A count of elements of at least `minSize` bytes each, checked against what is left.
  size_t getCount(size_t minSize);
  std::string_view take(size_t n);

  std::string_view in_;
};

// ---- The records, field by field (the order is the wire format) ----

template <class A>
void fields(A& a, Options& o) {
  // logSink stays in the calling process: the simulator's log lines are read remotely
  // through logLines().
  a(o.address, o.commandPort, o.finishPort, o.listenBacklog, o.discovery, o.discoveryAddress,
    o.discoveryPort, o.outputDir, o.timeScale, o.verbose);
}

template <class A>
void fields(A& a, MemoryCard& c) {
  a(c.present, c.readError, c.files, c.firstSize, c.secondSize);
}

template <class A>
void fields(A& a, PrinterState& s) {
  a(s.header, s.controllerVersion, s.biosVersion, s.programVersion, s.deviceControllerVersion,
    s.errorCode, s.gapSensor, s.markSensor, s.peelSensor, s.ribbonSensor, s.cutDoorSensor,
    s.headRank, s.headOpen, s.headTemperature, s.ambientTemperature, s.statusFailure, s.status43,
    s.status44, s.paperStopPosition, s.status52);
  a(s.markDetection, s.gapManual, s.gapReference, s.gapResistance, s.markManual, s.markReference,
    s.markResistance);
  a(s.warningDistanceKm, s.labelTravelMm, s.bodyTravelMm, s.mac, s.ip, s.mask, s.gateway, s.cards);
  a(s.cutPositionDots, s.cutBaseDots, s.cutCount, s.cutError, s.brokenDots, s.machineNumber,
    s.modelText, s.printSpeed, s.stopReportError, s.peelSensorWithLabel);
  a(s.buzzerTests, s.ledTests, s.motorTestMode, s.innerMotorRunning, s.outerMotorRunning);
}

template <class A>
void fields(A& a, Fault& f) {
  a(f.code, f.port, f.connection, f.skip, f.times, f.action, f.answerCode, f.delay, f.segments,
    f.number, f.header);
}

template <class A>
void fields(A& a, FrameRecord& f) {
  a(f.connection, f.port, f.received, f.valid, f.bytes);
}

template <class A>
void fields(A& a, ConnectionRecord& c) {
  a(c.id, c.port, c.peer, c.open, c.closedByPrinter);
}

template <class A>
void fields(A& a, PrintConditions& c) {
  a(c.widthDots, c.lengthDots, c.gapDots, c.condition1, c.condition2, c.thermalTransfer, c.flag8,
    c.autoPeel, c.flag4, c.flag2, c.posAdjX, c.posAdjY, c.copies, c.settings, c.raw);
}

template <class A>
void fields(A& a, FinishReport& r) {
  a(r.job, r.error, r.remaining, r.delivered, r.connection);
}

template <class A>
void fields(A& a, JobRecord& j) {
  a(j.id, j.kind, j.state, j.conditions, j.bytesPerLine, j.framesExpected, j.framesReceived,
    j.lines, j.copiesIssued, j.endError, j.reports);
}

template <class A>
void fields(A& a, PrintedLabel& l) {
  a(l.job, l.copy, l.kind, l.width, l.height, l.pixels, l.file);
  if (static_cast<uint64_t>(l.pixels.size()) !=
      static_cast<uint64_t>(std::max(l.width, 0)) * static_cast<uint64_t>(std::max(l.height, 0)))
    throw CodecError("label pixels do not match its size");
}

template <class A>
void fields(A& a, ProgramRecord& p) {
  a(p.started, p.complete, p.blocks, p.data);
}

// ---- Messages on a connection ----

// Sends one message; false when the connection failed.
bool sendMessage(Socket& socket, std::string_view payload);
// The next message within `timeoutMs` (-1: its length may take any time, its bytes then
// come within kMessageBodyWait); nullopt on end of stream, error, time-out or a length
// beyond `maxBytes`.
std::optional<std::string> receiveMessage(Socket& socket, int timeoutMs,
                                          uint32_t maxBytes = kMaxMessage);

}  // namespace ktsim::remote
