#pragma once

// Reading and writing a group's items: IOPCSyncIO and IOPCAsyncIO.

#include <span>

#include "opc/records.h"
#include "opcwire/methods/shapes.h"

namespace opcwire {

// ---- IOPCSyncIO 39C13A52-011E-11D0-9675-0020AFD8ADB3

enum class SyncIoOp : std::uint16_t { read = 3, write = 4 };

// OPCITEMSTATE as it travels, walked from the record a server hands out or
// from ItemState, this side's own copy of one (which owns its value).
struct WalkItemState {
  template <class W, class State>
  void operator()(W& w, State& s) const {
    w.align(4);
    w.u32(s.hClient);
    w.item(s.ftTimeStamp);
    w.u16(s.wQuality);
    w.u16(s.wReserved);
    w.item(s.vDataValue);
  }
};
struct ItemState {
  std::uint32_t hClient = 0;
  FILETIME ftTimeStamp{};
  std::uint16_t wQuality = 0;
  std::uint16_t wReserved = 0;
  Variant vDataValue;
};
template <class W>
void walk(W& w, ItemState& s) {
  WalkItemState{}(w, s);
}

struct SyncReadIn {
  OrpcThis orpcThis;
  std::uint16_t source = 0;
  std::uint32_t count = 0;
  std::vector<std::uint32_t> handles;
};
template <class W>
void walkIn(W& w, SyncReadIn& p) {
  w.param(p.orpcThis);
  enumParam(w, p.source);
  w.param(p.count);
  inArray(w, p.handles, p.count, 4);
}

// The states are decoded into ItemStates; a stub encodes them straight
// from the block the server's Read handed out (SyncReadOutOf<
// std::span<OPCITEMSTATE>>), since a Read may return many thousands.
template <class States = std::vector<ItemState>>
struct SyncReadOutOf {
  OrpcThat orpcThat;
  std::uint32_t count = 0;
  States states;
  std::vector<HRESULT> errors;
  HRESULT result = S_OK;
};
using SyncReadOut = SyncReadOutOf<>;
template <class W, class States>
void walkOut(W& w, SyncReadOutOf<States>& p) {
  w.param(p.orpcThat);
  w.construct([&] { w.sizedPointer(p.states, p.count, 20, WalkItemState{}); });
  outArray(w, p.errors, p.count, 4);
  w.param(p.result);
}

struct SyncWriteIn {
  OrpcThis orpcThis;
  std::uint32_t count = 0;
  std::vector<std::uint32_t> handles;
  std::vector<Variant> values;
};
template <class W>
void walkIn(W& w, SyncWriteIn& p) {
  w.param(p.orpcThis);
  w.param(p.count);
  inArray(w, p.handles, p.count, 4);
  inArray(w, p.values, p.count, 4);
}
// Out: ErrorsOut.

// ---- IOPCAsyncIO 39C13A53-011E-11D0-9675-0020AFD8ADB3 (DA 1.0)

enum class AsyncIoOp : std::uint16_t { read = 3, write = 4, refresh = 5, cancel = 6 /* DwordIn / ResultOut */ };

struct AsyncReadIn {
  OrpcThis orpcThis;
  std::uint32_t connection = 0;
  std::uint16_t source = 0;
  std::uint32_t count = 0;
  std::vector<std::uint32_t> handles;
};
template <class W>
void walkIn(W& w, AsyncReadIn& p) {
  w.param(p.orpcThis);
  w.param(p.connection);
  enumParam(w, p.source);
  w.param(p.count);
  inArray(w, p.handles, p.count, 4);
}

struct AsyncWriteIn {
  OrpcThis orpcThis;
  std::uint32_t connection = 0;
  std::uint32_t count = 0;
  std::vector<std::uint32_t> handles;
  std::vector<Variant> values;
};
template <class W>
void walkIn(W& w, AsyncWriteIn& p) {
  w.param(p.orpcThis);
  w.param(p.connection);
  w.param(p.count);
  inArray(w, p.handles, p.count, 4);
  inArray(w, p.values, p.count, 4);
}

struct TransactionErrorsOut {
  OrpcThat orpcThat;
  std::uint32_t transaction = 0;
  std::uint32_t count = 0;
  std::vector<HRESULT> errors;
  HRESULT result = S_OK;
};
template <class W>
void walkOut(W& w, TransactionErrorsOut& p) {
  w.param(p.orpcThat);
  w.param(p.transaction);
  outArray(w, p.errors, p.count, 4);
  w.param(p.result);
}

struct RefreshIn {
  OrpcThis orpcThis;
  std::uint32_t connection = 0;
  std::uint16_t source = 0;
};
template <class W>
void walkIn(W& w, RefreshIn& p) {
  w.param(p.orpcThis);
  w.param(p.connection);
  enumParam(w, p.source);
}
// Out: DwordOut (the transaction id).

}  // namespace opcwire
