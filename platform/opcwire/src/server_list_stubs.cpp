// The stubs of the server list: IOPCServerList and IOPCServerList2.

#include "method_tables.h"

#include "com/interfaces/enum_guid.h"
#include "opc/server_list.h"

namespace opcwire::detail {

// ---- IOPCServerList

std::map<std::uint16_t, Method> serverListMethods() {
  using I = IOPCServerList;
  return {
      {op(ServerListOp::enumClassesOfCategories),
       [](Call& call) {
         return handle<EnumClassesIn>(call, [&](EnumClassesIn& in) {
           return replyInterface<I, IEnumGUID>(call, IID_IEnumGUID, [&](I* self, IEnumGUID** result) {
             return self->EnumClassesOfCategories(in.implementedCount, in.implemented.data(), in.requiredCount,
                                                  in.required.data(), result);
           });
         });
       }},
      {op(ServerListOp::getClassDetails),
       [](Call& call) {
         return handle<ClassDetailsIn>(call, [&](ClassDetailsIn& in) {
           ClassDetailsOut out;
           LPOLESTR progId = nullptr;
           LPOLESTR userType = nullptr;
           out.result = call.as<I>()->GetClassDetails(in.clsid, &progId, &userType);
           out.progId = takeText(progId);
           out.userType = takeText(userType);
           return call.reply(out);
         });
       }},
      {op(ServerListOp::clsidFromProgId),
       [](Call& call) {
         return handle<TextIn>(call, [&](TextIn& in) {
           GuidOut out;
           out.result = call.as<I>()->CLSIDFromProgID(in.text.c_str(), &out.value);
           return call.reply(out);
         });
       }},
  };
}

std::map<std::uint16_t, Method> serverList2Methods() {
  using I = IOPCServerList2;
  return {
      {op(ServerListOp::enumClassesOfCategories),
       [](Call& call) {
         return handle<EnumClassesIn>(call, [&](EnumClassesIn& in) {
           return replyInterface<I, IOPCEnumGUID>(call, IID_IOPCEnumGUID, [&](I* self, IOPCEnumGUID** result) {
             return self->EnumClassesOfCategories(in.implementedCount, in.implemented.data(), in.requiredCount,
                                                  in.required.data(), result);
           });
         });
       }},
      {op(ServerListOp::getClassDetails),
       [](Call& call) {
         return handle<ClassDetailsIn>(call, [&](ClassDetailsIn& in) {
           ClassDetails2Out out;
           LPOLESTR texts[3] = {nullptr, nullptr, nullptr};
           out.result = call.as<I>()->GetClassDetails(in.clsid, &texts[0], &texts[1], &texts[2]);
           out.progId = takeText(texts[0]);
           out.userType = takeText(texts[1]);
           out.independentProgId = takeText(texts[2]);
           return call.reply(out);
         });
       }},
      {op(ServerListOp::clsidFromProgId),
       [](Call& call) {
         return handle<TextIn>(call, [&](TextIn& in) {
           GuidOut out;
           out.result = call.as<I>()->CLSIDFromProgID(in.text.c_str(), &out.value);
           return call.reply(out);
         });
       }},
  };
}

}  // namespace opcwire::detail
