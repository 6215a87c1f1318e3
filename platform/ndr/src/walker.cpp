// The non-template parts of the walkers: GUIDs and the error texts.

#include "ndr/walker.h"

#include "com/guid.h"

namespace ndr {
namespace {

template <class W>
void walkGuid(W& w, GUID& g) {
  w.align(4);
  w.u32(g.Data1);
  w.u16(g.Data2);
  w.u16(g.Data3);
  w.bytes(g.Data4, sizeof g.Data4);
}

// Only the storage is kept: a stack is empty when its walk ends.
thread_local std::vector<Deferred> keptPendingStack;

}  // namespace

std::vector<Deferred> WalkerBase::takePendingStack() {
  std::vector<Deferred> stack;
  stack.swap(keptPendingStack);
  return stack;
}

void WalkerBase::returnPendingStack(std::vector<Deferred>&& stack) {
  stack.clear();
  // A nested walk (an interface marshalled while a reply is encoded) gives
  // its stack back first; the larger one is kept.
  if (stack.capacity() > keptPendingStack.capacity()) keptPendingStack.swap(stack);
}

void walk(Encoder& w, GUID& g) { walkGuid(w, g); }
void walk(Decoder& w, GUID& g) { walkGuid(w, g); }

std::string_view describe(Status status) {
  switch (status) {
    case Status::truncated:
      return "the data end inside an item";
    case Status::invalid:
      return "a value the type does not allow";
    case Status::tooDeep:
      return "values nested too deeply";
    case Status::unsupported:
      return "a value this side cannot represent";
  }
  return "unknown fault";
}

}  // namespace ndr

namespace ndr {

template <class Derived>
void Walker<Derived>::packedGuid(GUID& g) {
  packed(g.Data1);
  packed(g.Data2);
  packed(g.Data3);
  for (auto& b : g.Data4) packed(b);
}

template class Walker<Encoder>;
template class Walker<Decoder>;

}  // namespace ndr
