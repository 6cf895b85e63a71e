// A printer's side of the search, for tests: answers the search request with given texts.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace nypr::testing {

// A search reply as a printer of that machine number and model text sends it.
std::string printerReply(int machineNo, const std::string& model);

// Binds UDP port 30000 on all addresses of the calling thread's namespace, calls
// `bound(true)` (or `bound(false)` when the port cannot be had), waits up to 5 s for
// the search request and sends every reply to the sender, calling `beforeReply` before
// each. Returns whether a request was answered.
bool answerSearch(const std::vector<std::string>& replies, const std::function<void(bool)>& bound,
                  const std::function<void()>& beforeReply = {});

}  // namespace nypr::testing
