// The stubs of the enumerators that other methods hand out:
// IEnumOPCItemAttributes, IEnumString, IEnumUnknown, IEnumConnectionPoints,
// IEnumGUID and IOPCEnumGUID.

#include "method_tables.h"

#include "com/interfaces/connection_points.h"
#include "com/interfaces/enum_guid.h"
#include "com/interfaces/enumerators.h"
#include "opc/group.h"
#include "opc/server_list.h"

namespace opcwire::detail {

namespace {

// The most elements one enumerator call may ask for: the reply is sized by
// the request, so a larger count is refused instead of allocated.
constexpr std::uint32_t kMaxFetch = 1u << 16;

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
std::map<std::uint16_t, Method> guidEnumeratorMethods(REFIID iid) {
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

}  // namespace

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

std::map<std::uint16_t, Method> enumUnknownMethods() {
  return enumInterfaceMethods<IEnumUnknown, IUnknown>(IID_IEnumUnknown, IID_IUnknown);
}

std::map<std::uint16_t, Method> enumConnectionPointsMethods() {
  return enumInterfaceMethods<IEnumConnectionPoints, IConnectionPoint>(IID_IEnumConnectionPoints,
                                                                       IID_IConnectionPoint);
}

std::map<std::uint16_t, Method> enumGuidMethods() { return guidEnumeratorMethods<IEnumGUID>(IID_IEnumGUID); }

std::map<std::uint16_t, Method> opcEnumGuidMethods() { return guidEnumeratorMethods<IOPCEnumGUID>(IID_IOPCEnumGUID); }

}  // namespace opcwire::detail
