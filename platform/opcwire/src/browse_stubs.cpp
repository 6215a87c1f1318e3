// The stubs of IOPCBrowseServerAddressSpace and IOPCItemProperties.

#include "method_tables.h"

#include "com/interfaces/enumerators.h"
#include "opc/server.h"

namespace opcwire::detail {

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

}  // namespace opcwire::detail
