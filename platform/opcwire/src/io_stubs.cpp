// The stubs of a group's reads and writes: IOPCSyncIO and IOPCAsyncIO.

#include <cstring>

#include "com/value_types.h"
#include "method_tables.h"
#include "opc/group.h"

namespace opcwire::detail {

// ---- IOPCSyncIO

namespace {

std::vector<VARIANT> borrowValues(std::vector<Variant>& values) {
  std::vector<VARIANT> result(values.size());
  for (std::size_t i = 0; i < values.size(); ++i) std::memcpy(&result[i], &values[i].value, sizeof(VARIANT));
  return result;
}

// Empties the values of a block of states and frees it.
void freeStates(OPCITEMSTATE* block, std::uint32_t count) {
  if (block == nullptr) return;
  for (std::uint32_t i = 0; i < count; ++i) {
    if (com::VariantMayOwnResources(block[i].vDataValue.vt)) VariantClear(&block[i].vDataValue);
  }
  CoTaskMemFree(block);
}

}  // namespace

std::map<std::uint16_t, Method> syncIoMethods() {
  using I = IOPCSyncIO;
  return {
      {op(SyncIoOp::read),
       [](Call& call) {
         return handle<SyncReadIn>(call, [&](SyncReadIn& in) {
           SyncReadOutOf<std::span<OPCITEMSTATE>> out;
           out.count = in.count;
           OPCITEMSTATE* states = nullptr;
           HRESULT* errors = nullptr;
           out.result = call.as<I>()->Read(static_cast<OPCDATASOURCE>(in.source), in.count, in.handles.data(),
                                           &states, &errors);
           if (states != nullptr) out.states = std::span(states, in.count);
           out.errors = takeArray(errors, in.count);
           // A state takes 20 bytes, its value (a scalar one) up to 32, its
           // error 4.
           rpc::CallResult reply = call.reply(out, std::size_t{in.count} * 56 + 64);
           freeStates(states, in.count);
           return reply;
         });
       }},
      {op(SyncIoOp::write),
       [](Call& call) {
         return handle<SyncWriteIn>(call, [&](SyncWriteIn& in) {
           ErrorsOut out;
           out.count = in.count;
           HRESULT* errors = nullptr;
           // The values stay owned by `in`; the server only reads them.
           std::vector<VARIANT> values = borrowValues(in.values);
           out.result = call.as<I>()->Write(in.count, in.handles.data(), values.data(), &errors);
           out.errors = takeArray(errors, in.count);
           return call.reply(out);
         });
       }},
  };
}

// ---- IOPCAsyncIO (DA 1.0). The results would come through the group's
// IDataObject, whose advise connections need callbacks to the client.

std::map<std::uint16_t, Method> asyncIoMethods() {
  using I = IOPCAsyncIO;
  return {
      {op(AsyncIoOp::read),
       [](Call& call) {
         return handle<AsyncReadIn>(call, [&](AsyncReadIn& in) {
           TransactionErrorsOut out;
           out.count = in.count;
           HRESULT* errors = nullptr;
           out.result = call.as<I>()->Read(in.connection, static_cast<OPCDATASOURCE>(in.source), in.count,
                                           in.handles.data(), &out.transaction, &errors);
           out.errors = takeArray(errors, in.count);
           return call.reply(out);
         });
       }},
      {op(AsyncIoOp::write),
       [](Call& call) {
         return handle<AsyncWriteIn>(call, [&](AsyncWriteIn& in) {
           TransactionErrorsOut out;
           out.count = in.count;
           HRESULT* errors = nullptr;
           std::vector<VARIANT> values = borrowValues(in.values);
           out.result = call.as<I>()->Write(in.connection, in.count, in.handles.data(), values.data(),
                                            &out.transaction, &errors);
           out.errors = takeArray(errors, in.count);
           return call.reply(out);
         });
       }},
      {op(AsyncIoOp::refresh),
       [](Call& call) {
         return handle<RefreshIn>(call, [&](RefreshIn& in) {
           DwordOut out;
           out.result =
               call.as<I>()->Refresh(in.connection, static_cast<OPCDATASOURCE>(in.source), &out.value);
           return call.reply(out);
         });
       }},
      {op(AsyncIoOp::cancel), dwordInMethod<I>([](I* self, std::uint32_t id) { return self->Cancel(id); })},
  };
}

}  // namespace opcwire::detail
