#include "rpc/reassembly.h"

namespace rpc {

Reassembler::Result Reassembler::add(const Header& header, const RequestBody& request,
                                     std::span<const uint8_t> stub) {
  bool first = header.flags & pfc::kFirstFragment;
  bool last = header.flags & pfc::kLastFragment;
  auto existing = partial_.find(header.callId);

  if (first) {
    if (existing != partial_.end()) {
      drop(existing);
      return {ReassemblyStatus::ProtocolError, std::nullopt};
    }
    if (stub.size() > maxCallSize_) return {ReassemblyStatus::TooLarge, std::nullopt};
    IncomingCall call;
    call.callId = header.callId;
    call.contextId = request.contextId;
    call.opnum = request.opnum;
    call.object = request.object;
    call.stub.assign(stub.begin(), stub.end());
    if (last) return {ReassemblyStatus::Complete, std::move(call)};
    if (partial_.size() >= maxPartialCalls_) return {ReassemblyStatus::TooManyCalls, std::nullopt};
    // Calls that interleave share one budget, so that many half-sent calls
    // hold no more than one whole call would.
    if (stub.size() > maxCallSize_ - held_) return {ReassemblyStatus::TooLarge, std::nullopt};
    held_ += stub.size();
    partial_.emplace(header.callId, std::move(call));
    return {ReassemblyStatus::NeedMore, std::nullopt};
  }

  if (existing == partial_.end()) return {ReassemblyStatus::ProtocolError, std::nullopt};
  IncomingCall& call = existing->second;
  if (call.contextId != request.contextId || call.opnum != request.opnum ||
      call.object != request.object) {
    drop(existing);
    return {ReassemblyStatus::ProtocolError, std::nullopt};
  }
  if (stub.size() > maxCallSize_ - held_) {
    drop(existing);
    return {ReassemblyStatus::TooLarge, std::nullopt};
  }
  call.stub.insert(call.stub.end(), stub.begin(), stub.end());
  held_ += stub.size();
  if (!last) return {ReassemblyStatus::NeedMore, std::nullopt};
  held_ -= call.stub.size();
  IncomingCall done = std::move(call);
  partial_.erase(existing);
  return {ReassemblyStatus::Complete, std::move(done)};
}

void Reassembler::abandon(uint32_t callId) {
  auto found = partial_.find(callId);
  if (found != partial_.end()) drop(found);
}

void Reassembler::drop(std::map<uint32_t, IncomingCall>::iterator call) {
  held_ -= call->second.stub.size();
  partial_.erase(call);
}

}  // namespace rpc
