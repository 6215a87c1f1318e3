#pragma once
// Joins the fragments of requests into whole calls, one partial call per
// call_id, so that calls of a client that multiplexes may interleave. The
// size of a call, the bytes held for all partial calls together and the
// number of calls in progress are capped by the caller's limits, never by
// what the client announces in alloc_hint.

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <vector>

#include "rpc/pdu.h"

namespace rpc {

struct IncomingCall {
  uint32_t callId = 0;
  uint16_t contextId = 0;
  uint16_t opnum = 0;
  std::optional<Uuid> object;
  std::vector<uint8_t> stub;
};

enum class ReassemblyStatus {
  NeedMore,       // fragment taken, the call is not complete yet
  Complete,       // `call` holds the whole call
  ProtocolError,  // fragment out of order or inconsistent with its call
  TooLarge,       // the call (or all partial calls together) grew beyond the size
                  // limit; its fragments are dropped
  TooManyCalls,   // a new call while the limit of calls in progress is reached
};

class Reassembler {
public:
  Reassembler(size_t maxCallSize, size_t maxPartialCalls)
      : maxCallSize_(maxCallSize), maxPartialCalls_(maxPartialCalls) {}

  struct Result {
    ReassemblyStatus status = ReassemblyStatus::NeedMore;
    std::optional<IncomingCall> call;
  };

  // Adds one request fragment; `stub` is its (unsealed) stub.
  Result add(const Header& header, const RequestBody& request, std::span<const uint8_t> stub);
  // Forgets a partial call (the client orphaned it).
  void abandon(uint32_t callId);
  size_t partialCalls() const { return partial_.size(); }

private:
  void drop(std::map<uint32_t, IncomingCall>::iterator call);

  size_t maxCallSize_;
  size_t maxPartialCalls_;
  size_t held_ = 0;  // stub bytes of all partial calls
  std::map<uint32_t, IncomingCall> partial_;
};

}  // namespace rpc
