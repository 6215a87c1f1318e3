// The OPC interfaces' stubs: each opnum decodes its request with the
// method's description, calls the object in process, turns what the object
// hands back (task-allocator blocks, interfaces) into the reply and frees it.

#include "opcwire/stubs.h"

#include <functional>
#include <map>

#include "com/allocator.h"
#include "com/interfaces/connection_points.h"
#include "com/interfaces/enum_guid.h"
#include "com/interfaces/enumerators.h"
#include "com/interfaces/persist.h"
#include "com/ptr.h"
#include "opc/common.h"
#include "opc/group.h"
#include "opc/server.h"
#include "opc/server_list.h"
#include "opcwire/methods.h"

namespace opcwire {
namespace {

// The most elements one enumerator call may ask for: the reply is sized by
// the request, so a larger count is refused instead of allocated.
constexpr std::uint32_t kMaxFetch = 1u << 16;
// The most items one call may name; larger counts cannot arrive within the
// runtime's reassembly limit anyway.
constexpr std::uint32_t kMaxItems = 1u << 20;

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

  template <class Out, class... Extra>
  rpc::CallResult reply(Out& out) {
    std::vector<std::uint8_t> bytes;
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
OptionalText takeText(LPWSTR text) {
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

std::vector<std::uint8_t> takeBlob(BYTE* blob, DWORD size) { return takeArray(blob, blob ? size : 0); }

const char16_t* textOrNull(const OptionalText& text) { return text ? text->c_str() : nullptr; }

using Method = std::function<rpc::CallResult(Call&)>;

class TableStub : public dcom::ObjectStub {
 public:
  TableStub(std::shared_ptr<dcom::Exporter> exporter, std::map<std::uint16_t, Method> methods)
      : exporter_(std::move(exporter)), methods_(std::move(methods)) {}

  rpc::CallResult call(IUnknown* object, const rpc::CallContext& context,
                       std::span<const std::uint8_t> stub) override {
    auto method = methods_.find(context.opnum);
    if (method == methods_.end()) return rpc::CallResult::fault(rpc::kFaultOpRangeError);
    Call call{object, stub, *exporter_, dcom::callerOf(context)};
    return method->second(call);
  }

 private:
  const std::shared_ptr<dcom::Exporter> exporter_;
  const std::map<std::uint16_t, Method> methods_;
};

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

// Next / Skip / Reset / Clone of an enumerator; fill(self, celt, out)
// fetches into out.
template <class I, class NextOut, class Fill>
std::map<std::uint16_t, Method> enumeratorMethods(REFIID iid, Fill fill) {
  return {
      {op(EnumOp::next),
       [fill](Call& call) {
         return handle<DwordIn>(call, [&](DwordIn& in) {
           NextOut out;
           out.requested = in.value;
           if (in.value > kMaxFetch) {
             out.result = E_INVALIDARG;
           } else {
             out.result = fill(call, call.as<I>(), in.value, out);
           }
           return call.reply(out);
         });
       }},
      {op(EnumOp::skip), dwordInMethod<I>([](I* self, std::uint32_t count) { return self->Skip(count); })},
      {op(EnumOp::reset), resultMethod<I>([](I* self) { return self->Reset(); })},
      {op(EnumOp::clone), cloneMethod<I, I>(iid)},
  };
}

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

// ---- IOPCBrowseServerAddressSpace

std::map<std::uint16_t, Method> browseMethods() {
  using I = IOPCBrowseServerAddressSpace;
  return {
      {op(BrowseOp::queryOrganization),
       [](Call& call) {
         return handle<NoIn>(call, [&](NoIn&) {
           EnumOut out;
           OPCNAMESPACETYPE type = OPC_NS_FLAT;
           out.result = call.as<I>()->QueryOrganization(&type);
           out.value = static_cast<std::uint16_t>(type);
           return call.reply(out);
         });
       }},
      {op(BrowseOp::changeBrowsePosition),
       [](Call& call) {
         return handle<ChangeBrowsePositionIn>(call, [&](ChangeBrowsePositionIn& in) {
           ResultOut out;
           out.result =
               call.as<I>()->ChangeBrowsePosition(static_cast<OPCBROWSEDIRECTION>(in.direction), in.name.c_str());
           return call.reply(out);
         });
       }},
      {op(BrowseOp::browseOpcItemIds),
       [](Call& call) {
         return handle<BrowseItemIdsIn>(call, [&](BrowseItemIdsIn& in) {
           return replyInterface<I, IEnumString>(call, IID_IEnumString, [&](I* self, IEnumString** result) {
             return self->BrowseOPCItemIDs(static_cast<OPCBROWSETYPE>(in.filterType), in.filter.c_str(),
                                           in.dataTypeFilter, in.accessRightsFilter, result);
           });
         });
       }},
      {op(BrowseOp::getItemId),
       [](Call& call) {
         return handle<TextIn>(call, [&](TextIn& in) {
           TextOut out;
           LPWSTR text = nullptr;
           out.result = call.as<I>()->GetItemID(in.text.data(), &text);
           out.text = takeText(text);
           return call.reply(out);
         });
       }},
      {op(BrowseOp::browseAccessPaths),
       [](Call& call) {
         return handle<TextIn>(call, [&](TextIn& in) {
           return replyInterface<I, IEnumString>(call, IID_IEnumString, [&](I* self, IEnumString** result) {
             return self->BrowseAccessPaths(in.text.c_str(), result);
           });
         });
       }},
  };
}

// ---- IOPCItemProperties

std::map<std::uint16_t, Method> itemPropertiesMethods() {
  using I = IOPCItemProperties;
  return {
      {op(ItemPropertiesOp::queryAvailableProperties),
       [](Call& call) {
         return handle<TextIn>(call, [&](TextIn& in) {
           AvailablePropertiesOut out;
           DWORD* ids = nullptr;
           LPWSTR* descriptions = nullptr;
           VARTYPE* types = nullptr;
           out.result = call.as<I>()->QueryAvailableProperties(in.text.data(), &out.count, &ids, &descriptions, &types);
           if (FAILED(out.result)) out.count = 0;
           out.ids = takeArray(ids, out.count);
           out.descriptions = takeArray(descriptions, out.count, [](LPWSTR t) { return takeText(t); });
           out.types = takeArray(types, out.count);
           return call.reply(out);
         });
       }},
      {op(ItemPropertiesOp::getItemProperties),
       [](Call& call) {
         return handle<PropertiesIn>(call, [&](PropertiesIn& in) {
           PropertyValuesOut out;
           out.count = in.count;
           VARIANT* values = nullptr;
           HRESULT* errors = nullptr;
           out.result = call.as<I>()->GetItemProperties(in.itemId.data(), in.count, in.ids.data(), &values, &errors);
           out.values = takeArray(values, in.count, [](VARIANT& v) { return Variant::adopt(v); });
           out.errors = takeArray(errors, in.count);
           return call.reply(out);
         });
       }},
      {op(ItemPropertiesOp::lookupItemIds),
       [](Call& call) {
         return handle<PropertiesIn>(call, [&](PropertiesIn& in) {
           PropertyItemIdsOut out;
           out.count = in.count;
           LPWSTR* itemIds = nullptr;
           HRESULT* errors = nullptr;
           out.result = call.as<I>()->LookupItemIDs(in.itemId.data(), in.count, in.ids.data(), &itemIds, &errors);
           out.itemIds = takeArray(itemIds, in.count, [](LPWSTR t) { return takeText(t); });
           out.errors = takeArray(errors, in.count);
           return call.reply(out);
         });
       }},
  };
}

// ---- IPersistFile

std::map<std::uint16_t, Method> persistFileMethods() {
  using I = IPersistFile;
  return {
      {op(PersistFileOp::getClassId),
       [](Call& call) {
         return handle<NoIn>(call, [&](NoIn&) {
           GuidOut out;
           out.result = call.as<I>()->GetClassID(&out.value);
           return call.reply(out);
         });
       }},
      {op(PersistFileOp::isDirty), resultMethod<I>([](I* self) { return self->IsDirty(); })},
      {op(PersistFileOp::load),
       [](Call& call) {
         return handle<LoadIn>(call, [&](LoadIn& in) {
           ResultOut out;
           out.result = call.as<I>()->Load(in.fileName.c_str(), in.mode);
           return call.reply(out);
         });
       }},
      {op(PersistFileOp::save),
       [](Call& call) {
         return handle<SaveIn>(call, [&](SaveIn& in) {
           ResultOut out;
           out.result = call.as<I>()->Save(textOrNull(in.fileName), in.remember);
           return call.reply(out);
         });
       }},
      {op(PersistFileOp::saveCompleted),
       [](Call& call) {
         return handle<OptionalTextIn>(call, [&](OptionalTextIn& in) {
           ResultOut out;
           out.result = call.as<I>()->SaveCompleted(textOrNull(in.text));
           return call.reply(out);
         });
       }},
      {op(PersistFileOp::getCurFile),
       [](Call& call) {
         return handle<NoIn>(call, [&](NoIn&) {
           TextOut out;
           LPWSTR text = nullptr;
           out.result = call.as<I>()->GetCurFile(&text);
           out.text = takeText(text);
           return call.reply(out);
         });
       }},
  };
}

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

// ---- IOPCSyncIO

std::vector<VARIANT> borrowValues(std::vector<Variant>& values) {
  std::vector<VARIANT> result(values.size());
  for (std::size_t i = 0; i < values.size(); ++i) std::memcpy(&result[i], &values[i].value, sizeof(VARIANT));
  return result;
}

std::map<std::uint16_t, Method> syncIoMethods() {
  using I = IOPCSyncIO;
  return {
      {op(SyncIoOp::read),
       [](Call& call) {
         return handle<SyncReadIn>(call, [&](SyncReadIn& in) {
           SyncReadOut out;
           out.count = in.count;
           OPCITEMSTATE* states = nullptr;
           HRESULT* errors = nullptr;
           out.result = call.as<I>()->Read(static_cast<OPCDATASOURCE>(in.source), in.count, in.handles.data(),
                                           &states, &errors);
           out.states = takeArray(states, in.count, [](OPCITEMSTATE& s) {
             ItemState state;
             state.clientHandle = s.hClient;
             state.timeStamp = s.ftTimeStamp;
             state.quality = s.wQuality;
             state.reserved = s.wReserved;
             state.value = Variant::adopt(s.vDataValue);
             return state;
           });
           out.errors = takeArray(errors, in.count);
           return call.reply(out);
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

// ---- The enumerators

std::map<std::uint16_t, Method> itemAttributesEnumMethods() {
  using I = IEnumOPCItemAttributes;
  std::map<std::uint16_t, Method> methods = enumeratorMethods<I, ItemAttributesNextOut>(
      IID_IEnumOPCItemAttributes, [](Call&, I* self, std::uint32_t celt, ItemAttributesNextOut& out) {
        OPCITEMATTRIBUTES* items = nullptr;
        const HRESULT hr = self->Next(celt, &items, &out.fetched);
        if (FAILED(hr)) out.fetched = 0;
        out.items = takeArray(items, out.fetched, [](OPCITEMATTRIBUTES& a) {
          ItemAttributes item;
          item.accessPath = takeText(a.szAccessPath);
          item.itemId = takeText(a.szItemID);
          item.active = a.bActive;
          item.clientHandle = a.hClient;
          item.serverHandle = a.hServer;
          item.accessRights = a.dwAccessRights;
          item.blob = takeBlob(a.pBlob, a.dwBlobSize);
          item.blobSize = static_cast<std::uint32_t>(item.blob.size());
          item.requestedType = a.vtRequestedDataType;
          item.canonicalType = a.vtCanonicalDataType;
          item.euType = static_cast<std::uint16_t>(a.dwEUType);
          item.euInfo = Variant::adopt(a.vEUInfo);
          return item;
        });
        return hr;
      });
  return methods;
}

std::map<std::uint16_t, Method> enumStringMethods() {
  using I = IEnumString;
  return enumeratorMethods<I, StringNextOut>(IID_IEnumString,
                                             [](Call&, I* self, std::uint32_t celt, StringNextOut& out) {
                                               std::vector<LPOLESTR> strings(celt, nullptr);
                                               ULONG fetched = 0;
                                               const HRESULT hr = self->Next(celt, strings.data(), &fetched);
                                               if (FAILED(hr) || fetched > celt) fetched = 0;
                                               for (ULONG i = 0; i < celt; ++i) {
                                                 if (i < fetched) {
                                                   out.strings.push_back(takeText(strings[i]));
                                                 } else {
                                                   CoTaskMemFree(strings[i]);
                                                 }
                                               }
                                               out.fetched = fetched;
                                               return hr;
                                             });
}

// IEnumUnknown and IEnumConnectionPoints hand out interfaces of one IID.
template <class I, class Element>
std::map<std::uint16_t, Method> enumInterfaceMethods(REFIID self, REFIID element) {
  IID elementIid = element;
  return enumeratorMethods<I, UnknownNextOut>(
      self, [elementIid](Call& call, I* enumerator, std::uint32_t celt, UnknownNextOut& out) {
        std::vector<Element*> objects(celt, nullptr);
        ULONG fetched = 0;
        const HRESULT hr = enumerator->Next(celt, objects.data(), &fetched);
        if (FAILED(hr) || fetched > celt) fetched = 0;
        for (ULONG i = 0; i < celt; ++i) {
          if (i < fetched) out.objects.push_back(call.exportObject(objects[i], elementIid));
          if (objects[i]) objects[i]->Release();
        }
        out.fetched = fetched;
        return hr;
      });
}

// IEnumGUID and IOPCEnumGUID have the same methods.
template <class I>
std::map<std::uint16_t, Method> enumGuidMethods(REFIID iid) {
  return enumeratorMethods<I, GuidNextOut>(iid, [](Call&, I* self, std::uint32_t celt, GuidNextOut& out) {
    std::vector<GUID> guids(celt);
    ULONG fetched = 0;
    const HRESULT hr = self->Next(celt, guids.data(), &fetched);
    if (FAILED(hr) || fetched > celt) fetched = 0;
    guids.resize(fetched);
    out.guids = std::move(guids);
    out.fetched = fetched;
    return hr;
  });
}

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

struct Entry {
  IID iid;
  std::map<std::uint16_t, Method> (*methods)();
};

const std::vector<Entry>& entries() {
  static const std::vector<Entry> table = {
      {IID_IOPCServer, serverMethods},
      {IID_IOPCCommon, commonMethods},
      {IID_IOPCServerPublicGroups, publicGroupsMethods},
      {IID_IOPCBrowseServerAddressSpace, browseMethods},
      {IID_IOPCItemProperties, itemPropertiesMethods},
      {IID_IPersistFile, persistFileMethods},
      {IID_IOPCGroupStateMgt, groupStateMethods},
      {IID_IOPCPublicGroupStateMgt, publicGroupStateMethods},
      {IID_IOPCItemMgt, itemMgtMethods},
      {IID_IOPCSyncIO, syncIoMethods},
      {IID_IOPCAsyncIO, asyncIoMethods},
      {IID_IEnumOPCItemAttributes, itemAttributesEnumMethods},
      {IID_IEnumString, enumStringMethods},
      {IID_IEnumUnknown, [] { return enumInterfaceMethods<IEnumUnknown, IUnknown>(IID_IEnumUnknown, IID_IUnknown); }},
      {IID_IEnumConnectionPoints,
       [] {
         return enumInterfaceMethods<IEnumConnectionPoints, IConnectionPoint>(IID_IEnumConnectionPoints,
                                                                              IID_IConnectionPoint);
       }},
      {IID_IEnumGUID, [] { return enumGuidMethods<IEnumGUID>(IID_IEnumGUID); }},
      {IID_IConnectionPointContainer, containerMethods},
      {IID_IConnectionPoint, connectionPointMethods},
      {IID_IOPCServerList, serverListMethods},
      {IID_IOPCServerList2, serverList2Methods},
      {IID_IOPCEnumGUID, [] { return enumGuidMethods<IOPCEnumGUID>(IID_IOPCEnumGUID); }},
  };
  return table;
}

}  // namespace

dcom::ObjectStubs makeStubs(std::shared_ptr<dcom::Exporter> exporter) {
  auto stubs = std::make_shared<std::vector<std::pair<IID, std::shared_ptr<dcom::ObjectStub>>>>();
  for (const Entry& entry : entries()) {
    stubs->emplace_back(entry.iid, std::make_shared<TableStub>(exporter, entry.methods()));
  }
  return [stubs](const IID& iid) -> std::shared_ptr<dcom::ObjectStub> {
    for (const auto& [served, stub] : *stubs) {
      if (IsEqualIID(served, iid)) return stub;
    }
    return nullptr;
  };
}

const std::vector<IID>& servedInterfaces() {
  static const std::vector<IID> iids = [] {
    std::vector<IID> result;
    for (const Entry& entry : entries()) result.push_back(entry.iid);
    return result;
  }();
  return iids;
}

}  // namespace opcwire
