// The printer's side of the command set: answer codes and lengths, fixed-width fields,
// and the answers that depend only on the printer state and the request.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "ktsim/simulator.h"

namespace ktsim::detail {

// Request payload length of a known code (DTI: the fixed part, 12); 0 when unknown.
size_t requestLength(std::string_view code);
// Code letters of the answer to a request code; "" when the code is unknown.
std::string answerCode(std::string_view code);
// Payload length of the answer to a request code (CTS: 9).
size_t answerLength(std::string_view code);

// "%0Nd" of value clamped to what N digits hold (negative values become 0).
std::string digits(int64_t value, int width);
// Decimal value of exactly `width` ASCII digits at `pos`; nullopt for anything else.
std::optional<int> readDigits(std::string_view text, size_t pos, size_t width);
// A "%03d" field that may carry a minus sign ("-05"); nullopt when malformed.
std::optional<int> readSigned(std::string_view text, size_t pos, size_t width);
// "%03d%03d%03d%03d" of a host-order IPv4 address, and back.
std::string ipText(uint32_t ip);
std::optional<uint32_t> parseIpText(std::string_view text);
std::string dotted(uint32_t ip);

// An answer payload of the right length for `code`: header, answer code, '0' fill.
std::string blankAnswer(std::string_view header, std::string_view code);
// Puts `text` into `answer` at `pos` (bounded by the answer's size).
void put(std::string& answer, size_t pos, std::string_view text);
// Sets the failure indicator of an answer (flag or status field, whichever it has).
void setFailure(std::string& answer, std::string_view code, int number);
// Puts a status number into the answer's status field where it has one.
void setStatus(std::string& answer, std::string_view code, int number);

// Answers computed from the state; each may change the state as the printer would.
std::string statusAnswer(const PrinterState& state);
std::string gapMarkAnswer(PrinterState& state, std::string_view request);
std::string distanceAnswer(PrinterState& state, std::string_view request);
std::string addressAnswer(PrinterState& state, std::string_view request);
std::string cardAnswer(const PrinterState& state, std::string_view request);
std::string cutPositionAnswer(PrinterState& state, std::string_view request);
std::string headCheckAnswer(const PrinterState& state, std::string_view request);
std::string cutAnswer(PrinterState& state);
std::string simpleAnswer(PrinterState& state, std::string_view code, std::string_view request);

// Print conditions of a PRS/FES payload (208 bytes). On failure `badField` names the
// first wrong field (its 1-based number in the print-conditions layout).
std::optional<PrintConditions> parseConditions(std::string_view payload, int* badField);

// Discovery reply text for the state ("MiraMachine", machine number, 12 characters,
// 18 characters of model text).
std::string discoveryReply(const PrinterState& state);

}  // namespace ktsim::detail
