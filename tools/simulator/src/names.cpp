// Names of the simulator's enums for logs and test messages.
#include "ktsim/simulator.h"

namespace ktsim {

const char* toString(Port port) {
  return port == Port::Command ? "command" : "finish";
}

const char* toString(JobState state) {
  switch (state) {
    case JobState::Receiving:
      return "receiving";
    case JobState::Issuing:
      return "issuing";
    case JobState::Finished:
      return "finished";
    case JobState::Stopped:
      return "stopped";
    case JobState::Failed:
      return "failed";
    case JobState::Abandoned:
      return "abandoned";
  }
  return "?";
}

const char* toString(FaultAction action) {
  switch (action) {
    case FaultAction::WrongCode:
      return "wrong-code";
    case FaultAction::NoAnswerClose:
      return "no-answer-close";
    case FaultAction::NoAnswer:
      return "no-answer";
    case FaultAction::Reset:
      return "reset";
    case FaultAction::Delay:
      return "delay";
    case FaultAction::Split:
      return "split";
    case FaultAction::FailureFlag:
      return "failure-flag";
    case FaultAction::Status:
      return "status";
    case FaultAction::WrongParameter:
      return "wrong-parameter";
    case FaultAction::OtherHeader:
      return "other-header";
    case FaultAction::LengthDigits:
      return "length-digits";
    case FaultAction::Truncate:
      return "truncate";
  }
  return "?";
}

}  // namespace ktsim
