// The stubs of IConnectionPointContainer and IConnectionPoint.

#include "method_tables.h"

#include "com/interfaces/connection_points.h"

namespace opcwire::detail {

// ---- Connection points. Callbacks to the client are not possible yet, so
// Advise refuses every sink.

std::map<std::uint16_t, Method> containerMethods() {
  using I = IConnectionPointContainer;
  return {
      {op(ContainerOp::enumConnectionPoints),
       [](Call& call) {
         return handle<NoIn>(call, [&](NoIn&) {
           return replyInterface<I, IEnumConnectionPoints>(
               call, IID_IEnumConnectionPoints,
               [](I* self, IEnumConnectionPoints** result) { return self->EnumConnectionPoints(result); });
         });
       }},
      {op(ContainerOp::findConnectionPoint),
       [](Call& call) {
         return handle<IidIn>(call, [&](IidIn& in) {
           return replyInterface<I, IConnectionPoint>(
               call, IID_IConnectionPoint,
               [&](I* self, IConnectionPoint** result) { return self->FindConnectionPoint(in.iid, result); });
         });
       }},
  };
}

std::map<std::uint16_t, Method> connectionPointMethods() {
  using I = IConnectionPoint;
  return {
      {op(ConnectionPointOp::getConnectionInterface),
       [](Call& call) {
         return handle<NoIn>(call, [&](NoIn&) {
           GuidOut out;
           out.result = call.as<I>()->GetConnectionInterface(&out.value);
           return call.reply(out);
         });
       }},
      {op(ConnectionPointOp::getConnectionPointContainer),
       [](Call& call) {
         return handle<NoIn>(call, [&](NoIn&) {
           return replyInterface<I, IConnectionPointContainer>(
               call, IID_IConnectionPointContainer,
               [](I* self, IConnectionPointContainer** result) { return self->GetConnectionPointContainer(result); });
         });
       }},
      {op(ConnectionPointOp::advise),
       [](Call& call) {
         return handle<AdviseIn>(call, [&](AdviseIn&) {
           DwordOut out;
           out.result = CONNECT_E_CANNOTCONNECT;
           return call.reply(out);
         });
       }},
      {op(ConnectionPointOp::unadvise),
       dwordInMethod<I>([](I* self, std::uint32_t cookie) { return self->Unadvise(cookie); })},
      {op(ConnectionPointOp::enumConnections),
       [](Call& call) {
         return handle<NoIn>(call, [&](NoIn&) {
           // No connection can have been made over the wire, and the
           // enumerator of connections has no stub here.
           InterfaceOut out;
           out.result = E_NOTIMPL;
           return call.reply(out);
         });
       }},
  };
}

}  // namespace opcwire::detail
