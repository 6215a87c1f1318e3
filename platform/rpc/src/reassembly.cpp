#include "rpc/reassembly.h"

namespace rpc {

Reassembler::Result Reassembler::add(const Header& header, const RequestBody& request,
                                     std::span<const uint8_t> stub) {
  bool first = header.flags & pfc::kFirstFragment;
  bool last = header.flags & pfc::kLastFragment;
  auto existing = partial_.find(header.callId);

  if (first) {
    if (existing != partial_.end()) {
      partial_.erase(existing);
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
    partial_.emplace(header.callId, std::move(call));
    return {ReassemblyStatus::NeedMore, std::nullopt};
  }

  if (existing == partial_.end()) return {ReassemblyStatus::ProtocolError, std::nullopt};
  IncomingCall& call = existing->second;
  if (call.contextId != request.contextId || call.opnum != request.opnum ||
      call.object != request.object) {
    partial_.erase(existing);
    return {ReassemblyStatus::ProtocolError, std::nullopt};
  }
  if (stub.size() > maxCallSize_ - call.stub.size()) {
    partial_.erase(existing);
    return {ReassemblyStatus::TooLarge, std::nullopt};
  }
  call.stub.insert(call.stub.end(), stub.begin(), stub.end());
  if (!last) return {ReassemblyStatus::NeedMore, std::nullopt};
  IncomingCall done = std::move(call);
  partial_.erase(existing);
  return {ReassemblyStatus::Complete, std::move(done)};
}

}  // namespace rpc
