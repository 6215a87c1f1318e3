// The stubs of the server object's own interfaces: IOPCServer, IOPCCommon
// and IOPCServerPublicGroups.

#include "method_tables.h"

#include "opc/common.h"
#include "opc/server.h"

namespace opcwire::detail {

// ---- IOPCServer

std::map<std::uint16_t, Method> serverMethods() {
  return {
      {op(ServerOp::addGroup),
       [](Call& call) {
         return handle<AddGroupIn>(call, [&](AddGroupIn& in) {
           AddGroupOut out;
           IUnknown* group = nullptr;
           out.result = call.as<IOPCServer>()->AddGroup(in.name.c_str(), in.active, in.requestedUpdateRate,
                                                         in.clientGroup, in.timeBias.get(), in.percentDeadband.get(),
                                                         in.lcid, &out.serverGroup, &out.revisedUpdateRate, in.iid,
                                                         &group);
           if (SUCCEEDED(out.result)) out.group = call.exportObject(group, in.iid);
           if (group) group->Release();
           return call.reply(out);
         });
       }},
      {op(ServerOp::getErrorString),
       [](Call& call) {
         return handle<ServerErrorStringIn>(call, [&](ServerErrorStringIn& in) {
           TextOut out;
           LPWSTR text = nullptr;
           out.result = call.as<IOPCServer>()->GetErrorString(in.error, in.locale, &text);
           out.text = takeText(text);
           return call.reply(out);
         });
       }},
      {op(ServerOp::getGroupByName),
       [](Call& call) {
         return handle<NameIidIn>(call, [&](NameIidIn& in) {
           InterfaceOut out;
           IUnknown* group = nullptr;
           out.result = call.as<IOPCServer>()->GetGroupByName(in.name.c_str(), in.iid, &group);
           if (SUCCEEDED(out.result)) out.pointer = call.exportObject(group, in.iid);
           if (group) group->Release();
           return call.reply(out);
         });
       }},
      {op(ServerOp::getStatus),
       [](Call& call) {
         return handle<NoIn>(call, [&](NoIn&) {
           GetStatusOut out;
           OPCSERVERSTATUS* status = nullptr;
           out.result = call.as<IOPCServer>()->GetStatus(&status);
           if (status) {
             out.status = std::make_unique<ServerStatus>();
             ServerStatus& s = *out.status;
             s.startTime = status->ftStartTime;
             s.currentTime = status->ftCurrentTime;
             s.lastUpdateTime = status->ftLastUpdateTime;
             s.state = static_cast<std::uint16_t>(status->dwServerState);
             s.groupCount = status->dwGroupCount;
             s.bandWidth = status->dwBandWidth;
             s.majorVersion = status->wMajorVersion;
             s.minorVersion = status->wMinorVersion;
             s.buildNumber = status->wBuildNumber;
             s.reserved = status->wReserved;
             s.vendorInfo = takeText(status->szVendorInfo);
             CoTaskMemFree(status);
           }
           return call.reply(out);
         });
       }},
      {op(ServerOp::removeGroup),
       [](Call& call) {
         return handle<RemoveGroupIn>(call, [&](RemoveGroupIn& in) {
           ResultOut out;
           out.result = call.as<IOPCServer>()->RemoveGroup(in.group, in.force);
           return call.reply(out);
         });
       }},
      {op(ServerOp::createGroupEnumerator),
       [](Call& call) {
         return handle<CreateGroupEnumeratorIn>(call, [&](CreateGroupEnumeratorIn& in) {
           InterfaceOut out;
           IUnknown* enumerator = nullptr;
           out.result = call.as<IOPCServer>()->CreateGroupEnumerator(static_cast<OPCENUMSCOPE>(in.scope), in.iid,
                                                                     &enumerator);
           if (SUCCEEDED(out.result)) out.pointer = call.exportObject(enumerator, in.iid);
           if (enumerator) enumerator->Release();
           return call.reply(out);
         });
       }},
  };
}

// ---- IOPCCommon

std::map<std::uint16_t, Method> commonMethods() {
  return {
      {op(CommonOp::setLocaleId),
       dwordInMethod<IOPCCommon>([](IOPCCommon* self, std::uint32_t lcid) { return self->SetLocaleID(lcid); })},
      {op(CommonOp::getLocaleId),
       [](Call& call) {
         return handle<NoIn>(call, [&](NoIn&) {
           DwordOut out;
           out.result = call.as<IOPCCommon>()->GetLocaleID(&out.value);
           return call.reply(out);
         });
       }},
      {op(CommonOp::queryAvailableLocaleIds),
       [](Call& call) {
         return handle<NoIn>(call, [&](NoIn&) {
           LocalesOut out;
           LCID* locales = nullptr;
           out.result = call.as<IOPCCommon>()->QueryAvailableLocaleIDs(&out.count, &locales);
           out.locales = takeArray(locales, out.count);
           if (out.locales.size() != out.count) out.count = static_cast<std::uint32_t>(out.locales.size());
           return call.reply(out);
         });
       }},
      {op(CommonOp::getErrorString),
       [](Call& call) {
         return handle<ErrorIn>(call, [&](ErrorIn& in) {
           TextOut out;
           LPWSTR text = nullptr;
           out.result = call.as<IOPCCommon>()->GetErrorString(in.error, &text);
           out.text = takeText(text);
           return call.reply(out);
         });
       }},
      {op(CommonOp::setClientName),
       textInMethod<IOPCCommon>([](IOPCCommon* self, LPCWSTR name) { return self->SetClientName(name); })},
  };
}

// ---- IOPCServerPublicGroups

std::map<std::uint16_t, Method> publicGroupsMethods() {
  return {
      {op(PublicGroupsOp::getPublicGroupByName),
       [](Call& call) {
         return handle<NameIidIn>(call, [&](NameIidIn& in) {
           InterfaceOut out;
           IUnknown* group = nullptr;
           out.result = call.as<IOPCServerPublicGroups>()->GetPublicGroupByName(in.name.c_str(), in.iid, &group);
           if (SUCCEEDED(out.result)) out.pointer = call.exportObject(group, in.iid);
           if (group) group->Release();
           return call.reply(out);
         });
       }},
      {op(PublicGroupsOp::removePublicGroup),
       [](Call& call) {
         return handle<RemoveGroupIn>(call, [&](RemoveGroupIn& in) {
           ResultOut out;
           out.result = call.as<IOPCServerPublicGroups>()->RemovePublicGroup(in.group, in.force);
           return call.reply(out);
         });
       }},
  };
}

}  // namespace opcwire::detail
