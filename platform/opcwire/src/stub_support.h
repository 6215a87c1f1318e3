#pragma once

// What every interface's stub is built from: the call an opnum receives,
// the decoding of its request, the taking over of what the object hands
// back in task-allocator blocks, and the method shapes several interfaces
// share.

#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "com/allocator.h"
#include "dcom/service.h"
#include "opcwire/methods.h"

namespace opcwire::detail {

struct Call {
  IUnknown* object;
  std::span<const std::uint8_t> stub;
  dcom::Exporter& exporter;
  std::string owner;

  template <class T>
  T* as() const {
    return static_cast<T*>(object);
  }

  // The OBJREF of an interface handed out by a method, exported for the
  // caller; NULL when there is none.
  Interface exportObject(IUnknown* handedOut, REFIID iid) {
    if (handedOut == nullptr) return nullptr;
    auto pointer = std::make_unique<ndr::InterfacePointer>();
    if (FAILED(exporter.marshal(handedOut, iid, owner, pointer->data))) return nullptr;
    return pointer;
  }

  // expectedBytes, when the caller can tell, spares a large reply the
  // buffer's regrowth.
  template <class Out>
  rpc::CallResult reply(Out& out, std::size_t expectedBytes = 0) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(expectedBytes);
    dcom::ExportingMarshaler marshaler(exporter, owner);
    if (ndr::encode(bytes, [&](auto& w) { walkOut(w, out); }, &marshaler)) {
      return rpc::CallResult::fault(rpc::kFaultBadStubData);
    }
    return rpc::CallResult::response(std::move(bytes));
  }
};

// Decodes In and runs body(in) -> CallResult, or faults on bad stub data
// or a COM version the exporter does not speak.
template <class In, class Body>
rpc::CallResult handle(Call& call, Body&& body) {
  In in;
  if (ndr::decode(call.stub, [&](auto& w) { walkIn(w, in); })) return rpc::CallResult::fault(rpc::kFaultBadStubData);
  if (!dcom::versionAccepted(in.orpcThis.version)) {
    return rpc::CallResult::fault(static_cast<std::uint32_t>(dcom::kRpcEVersionMismatch));
  }
  return body(in);
}

// A text from the task allocator, which is freed.
inline OptionalText takeText(LPWSTR text) {
  if (text == nullptr) return nullptr;
  auto result = std::make_unique<Text>(text);
  CoTaskMemFree(text);
  return result;
}

// A task-allocator array of count elements, converted and freed.
template <class T, class F>
auto takeArray(T* block, std::uint32_t count, F convert) {
  std::vector<decltype(convert(block[0]))> result;
  if (block == nullptr) return result;
  result.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) result.push_back(convert(block[i]));
  CoTaskMemFree(block);
  return result;
}
template <class T>
std::vector<T> takeArray(T* block, std::uint32_t count) {
  std::vector<T> result;
  if (block == nullptr) return result;
  result.assign(block, block + count);
  CoTaskMemFree(block);
  return result;
}

inline std::vector<std::uint8_t> takeBlob(BYTE* blob, DWORD size) { return takeArray(blob, blob ? size : 0); }

inline const char16_t* textOrNull(const OptionalText& text) { return text ? text->c_str() : nullptr; }

using Method = std::function<rpc::CallResult(Call&)>;

template <class Op>
std::uint16_t op(Op value) {
  return static_cast<std::uint16_t>(value);
}

// ---- Shapes several interfaces share.

template <class I, class F>
Method resultMethod(F f) {  // NoIn -> ResultOut
  return [f](Call& call) {
    return handle<NoIn>(call, [&](NoIn&) {
      ResultOut out;
      out.result = f(call.as<I>());
      return call.reply(out);
    });
  };
}

template <class I, class F>
Method dwordInMethod(F f) {  // DwordIn -> ResultOut
  return [f](Call& call) {
    return handle<DwordIn>(call, [&](DwordIn& in) {
      ResultOut out;
      out.result = f(call.as<I>(), in.value);
      return call.reply(out);
    });
  };
}

template <class I, class F>
Method textInMethod(F f) {  // TextIn -> ResultOut
  return [f](Call& call) {
    return handle<TextIn>(call, [&](TextIn& in) {
      ResultOut out;
      out.result = f(call.as<I>(), in.text.c_str());
      return call.reply(out);
    });
  };
}

// Handed-out interface of a fixed IID (Clone, BrowseOPCItemIDs ...).
template <class I, class Out, class F>
rpc::CallResult replyInterface(Call& call, REFIID iid, F f) {
  InterfaceOut out;
  Out* handedOut = nullptr;
  out.result = f(call.as<I>(), &handedOut);
  if (SUCCEEDED(out.result) && handedOut) out.pointer = call.exportObject(handedOut, iid);
  if (handedOut) handedOut->Release();
  return call.reply(out);
}

template <class I, class Out>
Method cloneMethod(REFIID iid) {
  IID copy = iid;
  return [copy](Call& call) {
    return handle<NoIn>(call, [&](NoIn&) {
      return replyInterface<I, Out>(call, copy, [](I* self, Out** result) { return self->Clone(result); });
    });
  };
}

}  // namespace opcwire::detail
