#pragma once

// Reading and writing a group's items: IOPCSyncIO and IOPCAsyncIO.

#include "opcwire/methods/shapes.h"

namespace opcwire {

// ---- IOPCSyncIO 39C13A52-011E-11D0-9675-0020AFD8ADB3

enum class SyncIoOp : std::uint16_t { read = 3, write = 4 };

struct ItemState {
  std::uint32_t clientHandle = 0;
  FILETIME timeStamp{};
  std::uint16_t quality = 0;
  std::uint16_t reserved = 0;
  Variant value;
};
template <class W>
void walk(W& w, ItemState& s) {
  w.align(4);
  w.u32(s.clientHandle);
  w.item(s.timeStamp);
  w.u16(s.quality);
  w.u16(s.reserved);
  w.item(s.value);
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

struct SyncReadOut {
  OrpcThat orpcThat;
  std::uint32_t count = 0;
  std::vector<ItemState> states;
  std::vector<HRESULT> errors;
  HRESULT result = S_OK;
};
template <class W>
void walkOut(W& w, SyncReadOut& p) {
  w.param(p.orpcThat);
  outArray(w, p.states, p.count, 20);
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
