#pragma once
// What the OPC interface proxies share: turning the decoded answers into
// what the interfaces hand back (task-allocator blocks, interfaces, texts)
// and the caller's arguments into the methods' descriptions.

#include <cstring>

#include "com/allocator.h"
#include "com/interfaces/connection_points.h"
#include "com/interfaces/enum_guid.h"
#include "com/interfaces/enumerators.h"
#include "com/interfaces/persist.h"
#include "dcomclient/proxy.h"
#include "opc/common.h"
#include "opc/group.h"
#include "opc/server.h"
#include "opc/server_list.h"
#include "opcwire/methods.h"

namespace dcom::client::opc {

using namespace opcwire;

constexpr HRESULT kBadStubData = static_cast<HRESULT>(0x800706F7);

template <class Op>
std::uint16_t op(Op value) {
  return static_cast<std::uint16_t>(value);
}

inline Text text(LPCWSTR value) { return value ? Text(value) : Text(); }
inline OptionalText optionalText(LPCWSTR value) { return value ? std::make_unique<Text>(value) : nullptr; }

// A task-allocator copy of a received text; null stays null.
inline LPWSTR taskText(const OptionalText& value) {
  if (!value) return nullptr;
  auto* copy = static_cast<LPWSTR>(CoTaskMemAlloc((value->size() + 1) * sizeof(WCHAR)));
  if (!copy) return nullptr;
  std::memcpy(copy, value->c_str(), (value->size() + 1) * sizeof(WCHAR));
  return copy;
}

// A zeroed task-allocator array of count elements (null for none).
template <class T>
T* taskArray(std::size_t count) {
  if (count == 0) return nullptr;
  auto* block = static_cast<T*>(CoTaskMemAlloc(count * sizeof(T)));
  if (block) std::memset(static_cast<void*>(block), 0, count * sizeof(T));
  return block;
}

template <class T>
T* taskCopy(const std::vector<T>& values, std::size_t count) {
  T* block = taskArray<T>(count);
  if (block) std::memcpy(block, values.data(), std::min(count, values.size()) * sizeof(T));
  return block;
}

inline BYTE* taskBlob(const std::vector<std::uint8_t>& blob) { return taskCopy(blob, blob.size()); }

// Hands a received value to the caller, leaving v empty.
inline void takeVariant(Variant& from, VARIANT& to) {
  std::memcpy(&to, &from.value, sizeof to);
  VariantInit(&from.value);
}

// A copy of the caller's value for a request (the caller keeps its own).
inline Variant copyVariant(const VARIANT& value) {
  Variant copy;
  VariantCopy(&copy.value, &value);
  return copy;
}

// The proxy for a received OBJREF.
inline HRESULT takeInterface(Channel& channel, const Interface& pointer, REFIID iid, void** object) {
  *object = nullptr;
  if (!pointer) return E_UNEXPECTED;
  return channel.marshaler().unmarshal(pointer->data, iid, reinterpret_cast<IUnknown**>(object));
}

// The method's result, or the call's when the call itself failed.
template <class Out>
HRESULT resultOf(HRESULT call, const Out& out) {
  return FAILED(call) ? call : out.result;
}

// Proxies of the enumerators' common methods.
template <class I>
class EnumeratorProxy : public InterfaceProxy<I> {
public:
  using InterfaceProxy<I>::InterfaceProxy;
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    DwordIn in;
    in.value = count;
    ResultOut out;
    return resultOf(invoke(this->channel(), op(EnumOp::skip), in, out), out);
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    NoIn in;
    ResultOut out;
    return resultOf(invoke(this->channel(), op(EnumOp::reset), in, out), out);
  }

protected:
  template <class Self>
  HRESULT cloneAs(REFIID iid, Self** copy) {
    if (!copy) return E_POINTER;
    *copy = nullptr;
    NoIn in;
    InterfaceOut out;
    HRESULT hr = resultOf(invoke(this->channel(), op(EnumOp::clone), in, out), out);
    if (FAILED(hr)) return hr;
    return takeInterface(this->channel(), out.pointer, iid, reinterpret_cast<void**>(copy));
  }
};

void registerServerProxies();
void registerGroupProxies();

}  // namespace dcom::client::opc
