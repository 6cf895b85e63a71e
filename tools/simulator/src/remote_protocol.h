// The simulator's remote control: a test program that cannot host the simulator itself
// (a Windows program under wine) starts `kt3600r-sim --control 127.0.0.1:PORT` and calls
// the same ktsim::Simulator API through it.
//
// Every message is a 4-byte little-endian length and that many bytes (remote_codec.h).
// A request is one Op byte and the call's arguments; its answer is a Status byte and the
// call's result (Ok) or an error text (Error), on the same connection. Each connection
// carries one call at a time; a client keeps one connection per calling thread. The
// first connection owns the simulator: when it closes, the process stops the simulator
// and exits, so a test that dies never leaves a printer behind.
//
// The finish-report hook runs in the client: a connection that sends Op::Callback
// becomes the hook channel; from then on the server sends each report on it (a report)
// and waits for the answer (the report as changed, then the hook's bool).
#pragma once

#include <chrono>
#include <cstdint>

namespace ktsim::remote {

// The largest message either side accepts (a thousand big labels fit).
inline constexpr uint32_t kMaxMessage = 512u << 20;
// The largest request (or hook answer) the simulator accepts: every call's arguments are
// small (a printer state, a fault, a list of broken dots).
inline constexpr uint32_t kMaxRequest = 1u << 20;
// A message's bytes follow its length at once: a sender that stops between them is gone.
inline constexpr std::chrono::milliseconds kMessageBodyWait{5000};
// How long the simulator waits for its first control connection before it exits.
inline constexpr std::chrono::milliseconds kFirstConnectionWait{10000};
// How long a finish report waits for the client's hook before it goes out unchanged.
inline constexpr std::chrono::milliseconds kHookAnswerWait{10000};

enum class Status : uint8_t { Ok = 0, Error = 1 };

// The calls, one per Simulator member (arguments and result in its order and types).
enum class Op : uint8_t {
  Create,  // Options: builds the simulator (once per process)
  Start,
  Stop,
  Running,
  Address,
  AddressValue,
  CommandPort,
  FinishPort,
  DiscoveryPort,
  GetState,
  SetState,
  SetModelHeader,
  SetVersions,
  SetSensors,
  SetHeadRank,
  SetHeadOpen,
  SetErrorCode,
  SetStatusFailure,
  SetPaperStopPosition,
  SetTemperatures,
  SetTravel,
  SetGapMark,
  SetAddresses,
  SetCard,
  SetCutPosition,
  SetCutError,
  SetBrokenDots,
  SetPrintSpeed,
  SetStopReportError,
  SetDiscoveryIdentity,
  AddFault,
  RemoveFault,
  ClearFaults,
  FaultHits,
  SetAccepting,
  SetAcceptingBoth,
  CloseConnections,
  RaiseJobError,
  StopFromPrinter,
  SetIssueHold,
  TakeLabel,
  LabelAtPeeler,
  Frames,
  ReceivedFrames,
  SentFrames,
  Connections,
  Jobs,
  LastJob,
  Labels,
  FinishReports,
  Program,
  LogLines,
  ClearRecords,
  SetHook,    // bool: route finish reports through the hook channel or not
  WaitEvent,  // Millis: returns after the next simulator event or the time-out
  WaitForFrames,
  WaitForLabels,
  WaitForReports,
  WaitForJobEnd,
  WaitForJobState,
  WaitForLabelAtPeeler,
  WaitForConnections,
  WaitForNoOpenConnections,
  Callback,  // this connection becomes the hook channel
  Count_,
};

// For the archive's range check (remote_codec.h).
constexpr int enumCount(Status) {
  return 2;
}
constexpr int enumCount(Op) {
  return static_cast<int>(Op::Count_);
}

}  // namespace ktsim::remote
