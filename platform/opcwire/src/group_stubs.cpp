// The stubs of IOPCGroupStateMgt, IOPCPublicGroupStateMgt and IOPCItemMgt.

#include "method_tables.h"

#include "opc/group.h"

namespace opcwire::detail {

// ---- IOPCGroupStateMgt, IOPCPublicGroupStateMgt

std::map<std::uint16_t, Method> groupStateMethods() {
  using I = IOPCGroupStateMgt;
  return {
      {op(GroupStateOp::getState),
       [](Call& call) {
         return handle<NoIn>(call, [&](NoIn&) {
           GroupStateOut out;
           LPWSTR name = nullptr;
           out.result = call.as<I>()->GetState(&out.updateRate, &out.active, &name, &out.timeBias,
                                               &out.percentDeadband, &out.lcid, &out.clientGroup, &out.serverGroup);
           out.name = takeText(name);
           return call.reply(out);
         });
       }},
      {op(GroupStateOp::setState),
       [](Call& call) {
         return handle<SetStateIn>(call, [&](SetStateIn& in) {
           DwordOut out;
           out.result = call.as<I>()->SetState(in.requestedUpdateRate.get(), &out.value, in.active.get(),
                                               in.timeBias.get(), in.percentDeadband.get(), in.lcid.get(),
                                               in.clientGroup.get());
           return call.reply(out);
         });
       }},
      {op(GroupStateOp::setName), textInMethod<I>([](I* self, LPCWSTR name) { return self->SetName(name); })},
      {op(GroupStateOp::cloneGroup),
       [](Call& call) {
         return handle<NameIidIn>(call, [&](NameIidIn& in) {
           InterfaceOut out;
           IUnknown* group = nullptr;
           out.result = call.as<I>()->CloneGroup(in.name.c_str(), in.iid, &group);
           if (SUCCEEDED(out.result)) out.pointer = call.exportObject(group, in.iid);
           if (group) group->Release();
           return call.reply(out);
         });
       }},
  };
}

std::map<std::uint16_t, Method> publicGroupStateMethods() {
  using I = IOPCPublicGroupStateMgt;
  return {
      {op(PublicGroupStateOp::getState),
       [](Call& call) {
         return handle<NoIn>(call, [&](NoIn&) {
           DwordOut out;
           BOOL isPublic = FALSE;
           out.result = call.as<I>()->GetState(&isPublic);
           out.value = static_cast<std::uint32_t>(isPublic);
           return call.reply(out);
         });
       }},
      {op(PublicGroupStateOp::moveToPublic), resultMethod<I>([](I* self) { return self->MoveToPublic(); })},
  };
}

// ---- IOPCItemMgt

namespace {

// The most items one call may name; larger counts cannot arrive within the
// runtime's reassembly limit anyway.
constexpr std::uint32_t kMaxItems = 1u << 20;

// The definitions as the group takes them; the texts stay in `in`.
std::vector<OPCITEMDEF> itemDefs(ItemDefsIn& in) {
  std::vector<OPCITEMDEF> defs(in.items.size());
  for (std::size_t i = 0; i < in.items.size(); ++i) {
    ItemDef& item = in.items[i];
    OPCITEMDEF& def = defs[i];
    def.szAccessPath = item.accessPath ? item.accessPath->data() : nullptr;
    def.szItemID = item.itemId ? item.itemId->data() : nullptr;
    def.bActive = item.active;
    def.hClient = item.clientHandle;
    def.dwBlobSize = static_cast<DWORD>(item.blob.size());
    def.pBlob = item.blob.empty() ? nullptr : item.blob.data();
    def.vtRequestedDataType = item.requestedType;
    def.wReserved = item.reserved;
  }
  return defs;
}

ItemResult takeItemResult(OPCITEMRESULT& r) {
  ItemResult result;
  result.serverHandle = r.hServer;
  result.canonicalType = r.vtCanonicalDataType;
  result.reserved = r.wReserved;
  result.accessRights = r.dwAccessRights;
  result.blob = takeBlob(r.pBlob, r.dwBlobSize);
  result.blobSize = static_cast<std::uint32_t>(result.blob.size());
  return result;
}

Method itemDefsMethod(bool validate) {
  return [validate](Call& call) {
    ItemDefsIn in;
    if (ndr::decode(call.stub, [&](auto& w) { walkIn(w, in, validate); })) {
      return rpc::CallResult::fault(rpc::kFaultBadStubData);
    }
    if (!dcom::versionAccepted(in.orpcThis.version)) {
      return rpc::CallResult::fault(static_cast<std::uint32_t>(dcom::kRpcEVersionMismatch));
    }
    ItemResultsOut out;
    out.count = in.count;
    std::vector<OPCITEMDEF> defs = itemDefs(in);
    OPCITEMRESULT* results = nullptr;
    HRESULT* errors = nullptr;
    auto* self = call.as<IOPCItemMgt>();
    out.result = validate ? self->ValidateItems(in.count, defs.data(), in.blobUpdate, &results, &errors)
                          : self->AddItems(in.count, defs.data(), &results, &errors);
    out.results = takeArray(results, in.count, takeItemResult);
    out.errors = takeArray(errors, in.count);
    return call.reply(out);
  };
}

template <class In, class F>
Method errorsMethod(F f) {  // per-item errors out
  return [f](Call& call) {
    return handle<In>(call, [&](In& in) {
      ErrorsOut out;
      out.count = in.count;
      HRESULT* errors = nullptr;
      out.result = in.count > kMaxItems ? E_INVALIDARG : f(call.as<IOPCItemMgt>(), in, &errors);
      out.errors = takeArray(errors, in.count);
      return call.reply(out);
    });
  };
}

}  // namespace

std::map<std::uint16_t, Method> itemMgtMethods() {
  using I = IOPCItemMgt;
  return {
      {op(ItemMgtOp::addItems), itemDefsMethod(false)},
      {op(ItemMgtOp::validateItems), itemDefsMethod(true)},
      {op(ItemMgtOp::removeItems), errorsMethod<HandlesIn>([](I* self, HandlesIn& in, HRESULT** errors) {
         return self->RemoveItems(in.count, in.handles.data(), errors);
       })},
      {op(ItemMgtOp::setActiveState),
       errorsMethod<SetActiveStateIn>([](I* self, SetActiveStateIn& in, HRESULT** errors) {
         return self->SetActiveState(in.count, in.handles.data(), in.active, errors);
       })},
      {op(ItemMgtOp::setClientHandles),
       errorsMethod<SetClientHandlesIn>([](I* self, SetClientHandlesIn& in, HRESULT** errors) {
         return self->SetClientHandles(in.count, in.handles.data(), in.clientHandles.data(), errors);
       })},
      {op(ItemMgtOp::setDatatypes),
       errorsMethod<SetDatatypesIn>([](I* self, SetDatatypesIn& in, HRESULT** errors) {
         return self->SetDatatypes(in.count, in.handles.data(), in.types.data(), errors);
       })},
      {op(ItemMgtOp::createEnumerator),
       [](Call& call) {
         return handle<IidIn>(call, [&](IidIn& in) {
           InterfaceOut out;
           IUnknown* enumerator = nullptr;
           out.result = call.as<I>()->CreateEnumerator(in.iid, &enumerator);
           if (SUCCEEDED(out.result)) out.pointer = call.exportObject(enumerator, in.iid);
           if (enumerator) enumerator->Release();
           return call.reply(out);
         });
       }},
  };
}

}  // namespace opcwire::detail
