#pragma once

// The OPC Data Access 1.0/2.0 and OPC Common interfaces as they travel in
// NDR, each method described once for both directions: walkIn for the
// request stub (what the server decodes and a client proxy encodes), walkOut
// for the response. One section per interface, in the published method
// order; opnums start at 3 after IUnknown's.
//
// Out structures whose arrays are sized by the request carry that size in
// `count`; the side that walks them sets it from the request first (the
// server from what it decoded, a proxy from what it sent). A failed call
// sends its out arrays as NULL pointers, which decode as empty vectors.
//
// The OPC enumerations have no [v1_enum], so they travel as 16 bits.

#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "com/oleauto.h"
#include "dcom/orpc.h"
#include "ndr/ole.h"

namespace opcwire {

using dcom::OrpcThat;
using dcom::OrpcThis;
using Text = std::u16string;
using OptionalText = std::unique_ptr<std::u16string>;
using Interface = std::unique_ptr<ndr::InterfacePointer>;

// A VARIANT that clears itself, for vectors of values.
class Variant {
 public:
  Variant() { VariantInit(&value); }
  ~Variant() { VariantClear(&value); }
  Variant(Variant&& other) noexcept {
    std::memcpy(&value, &other.value, sizeof value);
    VariantInit(&other.value);
  }
  Variant& operator=(Variant&& other) noexcept {
    if (this != &other) {
      VariantClear(&value);
      std::memcpy(&value, &other.value, sizeof value);
      VariantInit(&other.value);
    }
    return *this;
  }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  // Takes over what v holds, leaving v empty.
  static Variant adopt(VARIANT& v) {
    Variant result;
    std::memcpy(&result.value, &v, sizeof v);
    VariantInit(&v);
    return result;
  }
  VARIANT value;
};
template <class W>
void walk(W& w, Variant& v) {
  ndr::walk(w, v.value);
}

// ---- The parameter shapes every interface uses.

// [in, string] LPCWSTR
template <class W>
void textParam(W& w, Text& text) {
  w.construct([&] { w.wideString(text); });
}
// [out, string] LPWSTR* and [in, unique, string] LPCWSTR
template <class W>
void optionalTextParam(W& w, OptionalText& text) {
  w.construct([&] { w.unique(text, [](W& w2, Text& t) { w2.wideString(t); }); });
}
// [out, iid_is(riid)] IUnknown**
template <class W>
void interfaceParam(W& w, Interface& pointer) {
  w.construct([&] { w.unique(pointer); });
}
// [in, unique] T*
template <class W, class T>
void optionalParam(W& w, std::unique_ptr<T>& value) {
  w.construct([&] { w.unique(value); });
}
// A 16-bit enumeration.
template <class W>
void enumParam(W& w, std::uint16_t& value) {
  w.construct([&] { w.enum16(value); });
}
// [in, size_is(count)] T*
template <class W, class T>
void inArray(W& w, std::vector<T>& values, std::uint32_t count, std::size_t minWire) {
  w.construct([&] { w.sizedArray(values, count, minWire); });
}
// [out, size_is(, count)] T**
template <class W, class T>
void outArray(W& w, std::vector<T>& values, std::uint32_t count, std::size_t minWire) {
  w.construct([&] { w.sizedPointer(values, count, minWire); });
}
template <class W>
void optionalText(W& w, OptionalText& text) {
  w.unique(text, [](W& w2, Text& t) { w2.wideString(t); });
}

// Calls that take nothing but ORPCTHIS and answer with ORPCTHAT and the
// result (Reset, MoveToPublic, IsDirty ...).
struct NoIn {
  OrpcThis orpcThis;
};
template <class W>
void walkIn(W& w, NoIn& p) {
  w.param(p.orpcThis);
}
struct ResultOut {
  OrpcThat orpcThat;
  HRESULT result = S_OK;
};
template <class W>
void walkOut(W& w, ResultOut& p) {
  w.param(p.orpcThat);
  w.param(p.result);
}
// One DWORD in (SetLocaleID, Skip, Cancel, Unadvise ...).
struct DwordIn {
  OrpcThis orpcThis;
  std::uint32_t value = 0;
};
template <class W>
void walkIn(W& w, DwordIn& p) {
  w.param(p.orpcThis);
  w.param(p.value);
}
// One DWORD out (GetLocaleID, the public state ...).
struct DwordOut {
  OrpcThat orpcThat;
  std::uint32_t value = 0;
  HRESULT result = S_OK;
};
template <class W>
void walkOut(W& w, DwordOut& p) {
  w.param(p.orpcThat);
  w.param(p.value);
  w.param(p.result);
}
// One string in (SetClientName, SetName ...).
struct TextIn {
  OrpcThis orpcThis;
  Text text;
};
template <class W>
void walkIn(W& w, TextIn& p) {
  w.param(p.orpcThis);
  textParam(w, p.text);
}
// One string out (GetErrorString, GetItemID, GetCurFile ...).
struct TextOut {
  OrpcThat orpcThat;
  OptionalText text;
  HRESULT result = S_OK;
};
template <class W>
void walkOut(W& w, TextOut& p) {
  w.param(p.orpcThat);
  optionalTextParam(w, p.text);
  w.param(p.result);
}
// One interface out (the enumerators' Clone, BrowseOPCItemIDs ...).
struct InterfaceOut {
  OrpcThat orpcThat;
  Interface pointer;
  HRESULT result = S_OK;
};
template <class W>
void walkOut(W& w, InterfaceOut& p) {
  w.param(p.orpcThat);
  interfaceParam(w, p.pointer);
  w.param(p.result);
}
// A name and an interface identifier in (GetGroupByName, CloneGroup ...).
struct NameIidIn {
  OrpcThis orpcThis;
  Text name;
  IID iid{};
};
template <class W>
void walkIn(W& w, NameIidIn& p) {
  w.param(p.orpcThis);
  textParam(w, p.name);
  w.param(p.iid);
}
// A handle and a force flag in (RemoveGroup, RemovePublicGroup).
struct RemoveGroupIn {
  OrpcThis orpcThis;
  std::uint32_t group = 0;
  std::int32_t force = 0;
};
template <class W>
void walkIn(W& w, RemoveGroupIn& p) {
  w.param(p.orpcThis);
  w.param(p.group);
  w.param(p.force);
}
// Per-item errors out.
struct ErrorsOut {
  OrpcThat orpcThat;
  std::uint32_t count = 0;
  std::vector<HRESULT> errors;
  HRESULT result = S_OK;
};
template <class W>
void walkOut(W& w, ErrorsOut& p) {
  w.param(p.orpcThat);
  outArray(w, p.errors, p.count, 4);
  w.param(p.result);
}

// ---- The records.

struct ServerStatus {
  FILETIME startTime{};
  FILETIME currentTime{};
  FILETIME lastUpdateTime{};
  std::uint16_t state = 0;
  std::uint32_t groupCount = 0;
  std::uint32_t bandWidth = 0;
  std::uint16_t majorVersion = 0;
  std::uint16_t minorVersion = 0;
  std::uint16_t buildNumber = 0;
  std::uint16_t reserved = 0;
  OptionalText vendorInfo;
};
template <class W>
void walk(W& w, ServerStatus& s) {
  w.align(4);
  w.item(s.startTime);
  w.item(s.currentTime);
  w.item(s.lastUpdateTime);
  w.enum16(s.state);
  w.u32(s.groupCount);
  w.u32(s.bandWidth);
  w.u16(s.majorVersion);
  w.u16(s.minorVersion);
  w.u16(s.buildNumber);
  w.u16(s.reserved);
  optionalText(w, s.vendorInfo);
}

struct ItemDef {
  OptionalText accessPath;
  OptionalText itemId;
  std::int32_t active = 0;
  std::uint32_t clientHandle = 0;
  std::uint32_t blobSize = 0;
  std::vector<std::uint8_t> blob;
  std::uint16_t requestedType = 0;
  std::uint16_t reserved = 0;
};
template <class W>
void walk(W& w, ItemDef& d) {
  w.align(4);
  optionalText(w, d.accessPath);
  optionalText(w, d.itemId);
  w.i32(d.active);
  w.u32(d.clientHandle);
  w.u32(d.blobSize);
  w.sizedPointer(d.blob, d.blobSize, 1);
  w.u16(d.requestedType);
  w.u16(d.reserved);
}

struct ItemResult {
  std::uint32_t serverHandle = 0;
  std::uint16_t canonicalType = 0;
  std::uint16_t reserved = 0;
  std::uint32_t accessRights = 0;
  std::uint32_t blobSize = 0;
  std::vector<std::uint8_t> blob;
};
template <class W>
void walk(W& w, ItemResult& r) {
  w.align(4);
  w.u32(r.serverHandle);
  w.u16(r.canonicalType);
  w.u16(r.reserved);
  w.u32(r.accessRights);
  w.u32(r.blobSize);
  w.sizedPointer(r.blob, r.blobSize, 1);
}

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

struct ItemAttributes {
  OptionalText accessPath;
  OptionalText itemId;
  std::int32_t active = 0;
  std::uint32_t clientHandle = 0;
  std::uint32_t serverHandle = 0;
  std::uint32_t accessRights = 0;
  std::uint32_t blobSize = 0;
  std::vector<std::uint8_t> blob;
  std::uint16_t requestedType = 0;
  std::uint16_t canonicalType = 0;
  std::uint16_t euType = 0;
  Variant euInfo;
};
template <class W>
void walk(W& w, ItemAttributes& a) {
  w.align(4);
  optionalText(w, a.accessPath);
  optionalText(w, a.itemId);
  w.i32(a.active);
  w.u32(a.clientHandle);
  w.u32(a.serverHandle);
  w.u32(a.accessRights);
  w.u32(a.blobSize);
  w.sizedPointer(a.blob, a.blobSize, 1);
  w.u16(a.requestedType);
  w.u16(a.canonicalType);
  w.enum16(a.euType);
  w.item(a.euInfo);
}

// ---- IOPCServer 39C13A4D-011E-11D0-9675-0020AFD8ADB3

enum class ServerOp : std::uint16_t {
  addGroup = 3,
  getErrorString = 4,
  getGroupByName = 5,
  getStatus = 6,
  removeGroup = 7,
  createGroupEnumerator = 8,
};

struct AddGroupIn {
  OrpcThis orpcThis;
  Text name;
  std::int32_t active = 0;
  std::uint32_t requestedUpdateRate = 0;
  std::uint32_t clientGroup = 0;
  std::unique_ptr<std::int32_t> timeBias;
  std::unique_ptr<float> percentDeadband;
  std::uint32_t lcid = 0;
  IID iid{};
};
template <class W>
void walkIn(W& w, AddGroupIn& p) {
  w.param(p.orpcThis);
  textParam(w, p.name);
  w.param(p.active);
  w.param(p.requestedUpdateRate);
  w.param(p.clientGroup);
  optionalParam(w, p.timeBias);
  optionalParam(w, p.percentDeadband);
  w.param(p.lcid);
  w.param(p.iid);
}
struct AddGroupOut {
  OrpcThat orpcThat;
  std::uint32_t serverGroup = 0;
  std::uint32_t revisedUpdateRate = 0;
  Interface group;
  HRESULT result = S_OK;
};
template <class W>
void walkOut(W& w, AddGroupOut& p) {
  w.param(p.orpcThat);
  w.param(p.serverGroup);
  w.param(p.revisedUpdateRate);
  interfaceParam(w, p.group);
  w.param(p.result);
}

struct ServerErrorStringIn {
  OrpcThis orpcThis;
  HRESULT error = S_OK;
  std::uint32_t locale = 0;
};
template <class W>
void walkIn(W& w, ServerErrorStringIn& p) {
  w.param(p.orpcThis);
  w.param(p.error);
  w.param(p.locale);
}
// Out: TextOut. GetGroupByName: NameIidIn / InterfaceOut.

// GetStatus: NoIn in.
struct GetStatusOut {
  OrpcThat orpcThat;
  std::unique_ptr<ServerStatus> status;
  HRESULT result = S_OK;
};
template <class W>
void walkOut(W& w, GetStatusOut& p) {
  w.param(p.orpcThat);
  w.construct([&] { w.unique(p.status); });
  w.param(p.result);
}
// RemoveGroup: RemoveGroupIn / ResultOut.

struct CreateGroupEnumeratorIn {
  OrpcThis orpcThis;
  std::uint16_t scope = 0;
  IID iid{};
};
template <class W>
void walkIn(W& w, CreateGroupEnumeratorIn& p) {
  w.param(p.orpcThis);
  enumParam(w, p.scope);
  w.param(p.iid);
}
// Out: InterfaceOut.

// ---- IOPCCommon F31DFDE2-07B6-11D2-B2D8-0060083BA1FB

enum class CommonOp : std::uint16_t {
  setLocaleId = 3,        // DwordIn / ResultOut
  getLocaleId = 4,        // NoIn / DwordOut
  queryAvailableLocaleIds = 5,
  getErrorString = 6,     // ErrorIn / TextOut
  setClientName = 7,      // TextIn / ResultOut
};

struct LocalesOut {
  OrpcThat orpcThat;
  std::uint32_t count = 0;
  std::vector<std::uint32_t> locales;
  HRESULT result = S_OK;
};
template <class W>
void walkOut(W& w, LocalesOut& p) {
  w.param(p.orpcThat);
  w.param(p.count);
  outArray(w, p.locales, p.count, 4);
  w.param(p.result);
}

struct ErrorIn {
  OrpcThis orpcThis;
  HRESULT error = S_OK;
};
template <class W>
void walkIn(W& w, ErrorIn& p) {
  w.param(p.orpcThis);
  w.param(p.error);
}

// ---- IOPCServerPublicGroups 39C13A4E-011E-11D0-9675-0020AFD8ADB3

enum class PublicGroupsOp : std::uint16_t {
  getPublicGroupByName = 3,  // NameIidIn / InterfaceOut
  removePublicGroup = 4,     // RemoveGroupIn / ResultOut
};

// ---- IOPCBrowseServerAddressSpace 39C13A4F-011E-11D0-9675-0020AFD8ADB3

enum class BrowseOp : std::uint16_t {
  queryOrganization = 3,     // NoIn / EnumOut
  changeBrowsePosition = 4,
  browseOpcItemIds = 5,
  getItemId = 6,             // TextIn / TextOut
  browseAccessPaths = 7,     // TextIn / InterfaceOut
};

struct EnumOut {
  OrpcThat orpcThat;
  std::uint16_t value = 0;
  HRESULT result = S_OK;
};
template <class W>
void walkOut(W& w, EnumOut& p) {
  w.param(p.orpcThat);
  enumParam(w, p.value);
  w.param(p.result);
}

struct ChangeBrowsePositionIn {
  OrpcThis orpcThis;
  std::uint16_t direction = 0;
  Text name;
};
template <class W>
void walkIn(W& w, ChangeBrowsePositionIn& p) {
  w.param(p.orpcThis);
  enumParam(w, p.direction);
  textParam(w, p.name);
}

struct BrowseItemIdsIn {
  OrpcThis orpcThis;
  std::uint16_t filterType = 0;
  Text filter;
  std::uint16_t dataTypeFilter = 0;
  std::uint32_t accessRightsFilter = 0;
};
template <class W>
void walkIn(W& w, BrowseItemIdsIn& p) {
  w.param(p.orpcThis);
  enumParam(w, p.filterType);
  textParam(w, p.filter);
  w.param(p.dataTypeFilter);
  w.param(p.accessRightsFilter);
}
// Out: InterfaceOut (an IEnumString).

// ---- IOPCItemProperties 39C13A72-011E-11D0-9675-0020AFD8ADB3

enum class ItemPropertiesOp : std::uint16_t {
  queryAvailableProperties = 3,  // TextIn / AvailablePropertiesOut
  getItemProperties = 4,
  lookupItemIds = 5,
};

struct AvailablePropertiesOut {
  OrpcThat orpcThat;
  std::uint32_t count = 0;
  std::vector<std::uint32_t> ids;
  std::vector<OptionalText> descriptions;
  std::vector<std::uint16_t> types;
  HRESULT result = S_OK;
};
template <class W>
void walkOut(W& w, AvailablePropertiesOut& p) {
  w.param(p.orpcThat);
  w.param(p.count);
  outArray(w, p.ids, p.count, 4);
  w.construct([&] {
    w.sizedPointer(p.descriptions, p.count, 4, [](W& w2, OptionalText& t) { optionalText(w2, t); });
  });
  outArray(w, p.types, p.count, 2);
  w.param(p.result);
}

struct PropertiesIn {
  OrpcThis orpcThis;
  Text itemId;
  std::uint32_t count = 0;
  std::vector<std::uint32_t> ids;
};
template <class W>
void walkIn(W& w, PropertiesIn& p) {
  w.param(p.orpcThis);
  textParam(w, p.itemId);
  w.param(p.count);
  inArray(w, p.ids, p.count, 4);
}

struct PropertyValuesOut {
  OrpcThat orpcThat;
  std::uint32_t count = 0;
  std::vector<Variant> values;
  std::vector<HRESULT> errors;
  HRESULT result = S_OK;
};
template <class W>
void walkOut(W& w, PropertyValuesOut& p) {
  w.param(p.orpcThat);
  outArray(w, p.values, p.count, 4);
  outArray(w, p.errors, p.count, 4);
  w.param(p.result);
}

struct PropertyItemIdsOut {
  OrpcThat orpcThat;
  std::uint32_t count = 0;
  std::vector<OptionalText> itemIds;
  std::vector<HRESULT> errors;
  HRESULT result = S_OK;
};
template <class W>
void walkOut(W& w, PropertyItemIdsOut& p) {
  w.param(p.orpcThat);
  w.construct([&] {
    w.sizedPointer(p.itemIds, p.count, 4, [](W& w2, OptionalText& t) { optionalText(w2, t); });
  });
  outArray(w, p.errors, p.count, 4);
  w.param(p.result);
}

// ---- IPersistFile 0000010B-0000-0000-C000-000000000046 (after IPersist)

enum class PersistFileOp : std::uint16_t {
  getClassId = 3,     // NoIn / GuidOut
  isDirty = 4,        // NoIn / ResultOut
  load = 5,
  save = 6,
  saveCompleted = 7,  // OptionalTextIn / ResultOut
  getCurFile = 8,     // NoIn / TextOut
};

struct GuidOut {
  OrpcThat orpcThat;
  GUID value{};
  HRESULT result = S_OK;
};
template <class W>
void walkOut(W& w, GuidOut& p) {
  w.param(p.orpcThat);
  w.param(p.value);
  w.param(p.result);
}

struct LoadIn {
  OrpcThis orpcThis;
  Text fileName;
  std::uint32_t mode = 0;
};
template <class W>
void walkIn(W& w, LoadIn& p) {
  w.param(p.orpcThis);
  textParam(w, p.fileName);
  w.param(p.mode);
}

struct SaveIn {
  OrpcThis orpcThis;
  OptionalText fileName;
  std::int32_t remember = 0;
};
template <class W>
void walkIn(W& w, SaveIn& p) {
  w.param(p.orpcThis);
  optionalTextParam(w, p.fileName);
  w.param(p.remember);
}

struct OptionalTextIn {
  OrpcThis orpcThis;
  OptionalText text;
};
template <class W>
void walkIn(W& w, OptionalTextIn& p) {
  w.param(p.orpcThis);
  optionalTextParam(w, p.text);
}

// ---- IOPCGroupStateMgt 39C13A50-011E-11D0-9675-0020AFD8ADB3

enum class GroupStateOp : std::uint16_t {
  getState = 3,    // NoIn / GroupStateOut
  setState = 4,
  setName = 5,     // TextIn / ResultOut
  cloneGroup = 6,  // NameIidIn / InterfaceOut
};

struct GroupStateOut {
  OrpcThat orpcThat;
  std::uint32_t updateRate = 0;
  std::int32_t active = 0;
  OptionalText name;
  std::int32_t timeBias = 0;
  float percentDeadband = 0;
  std::uint32_t lcid = 0;
  std::uint32_t clientGroup = 0;
  std::uint32_t serverGroup = 0;
  HRESULT result = S_OK;
};
template <class W>
void walkOut(W& w, GroupStateOut& p) {
  w.param(p.orpcThat);
  w.param(p.updateRate);
  w.param(p.active);
  optionalTextParam(w, p.name);
  w.param(p.timeBias);
  w.param(p.percentDeadband);
  w.param(p.lcid);
  w.param(p.clientGroup);
  w.param(p.serverGroup);
  w.param(p.result);
}

struct SetStateIn {
  OrpcThis orpcThis;
  std::unique_ptr<std::uint32_t> requestedUpdateRate;
  std::unique_ptr<std::int32_t> active;
  std::unique_ptr<std::int32_t> timeBias;
  std::unique_ptr<float> percentDeadband;
  std::unique_ptr<std::uint32_t> lcid;
  std::unique_ptr<std::uint32_t> clientGroup;
};
template <class W>
void walkIn(W& w, SetStateIn& p) {
  w.param(p.orpcThis);
  optionalParam(w, p.requestedUpdateRate);
  optionalParam(w, p.active);
  optionalParam(w, p.timeBias);
  optionalParam(w, p.percentDeadband);
  optionalParam(w, p.lcid);
  optionalParam(w, p.clientGroup);
}
// Out: DwordOut (the revised update rate).

// ---- IOPCPublicGroupStateMgt 39C13A51-011E-11D0-9675-0020AFD8ADB3

enum class PublicGroupStateOp : std::uint16_t {
  getState = 3,      // NoIn / DwordOut
  moveToPublic = 4,  // NoIn / ResultOut
};

// ---- IOPCItemMgt 39C13A54-011E-11D0-9675-0020AFD8ADB3

enum class ItemMgtOp : std::uint16_t {
  addItems = 3,
  validateItems = 4,
  removeItems = 5,       // HandlesIn / ErrorsOut
  setActiveState = 6,
  setClientHandles = 7,
  setDatatypes = 8,
  createEnumerator = 9,  // IidIn / InterfaceOut
};

struct ItemDefsIn {
  OrpcThis orpcThis;
  std::uint32_t count = 0;
  std::vector<ItemDef> items;
  std::int32_t blobUpdate = 0;  // ValidateItems only
};
template <class W>
void walkIn(W& w, ItemDefsIn& p, bool validate) {
  w.param(p.orpcThis);
  w.param(p.count);
  inArray(w, p.items, p.count, 28);
  if (validate) w.param(p.blobUpdate);
}

struct ItemResultsOut {
  OrpcThat orpcThat;
  std::uint32_t count = 0;
  std::vector<ItemResult> results;
  std::vector<HRESULT> errors;
  HRESULT result = S_OK;
};
template <class W>
void walkOut(W& w, ItemResultsOut& p) {
  w.param(p.orpcThat);
  outArray(w, p.results, p.count, 20);
  outArray(w, p.errors, p.count, 4);
  w.param(p.result);
}

struct HandlesIn {
  OrpcThis orpcThis;
  std::uint32_t count = 0;
  std::vector<std::uint32_t> handles;
};
template <class W>
void walkIn(W& w, HandlesIn& p) {
  w.param(p.orpcThis);
  w.param(p.count);
  inArray(w, p.handles, p.count, 4);
}

struct SetActiveStateIn {
  OrpcThis orpcThis;
  std::uint32_t count = 0;
  std::vector<std::uint32_t> handles;
  std::int32_t active = 0;
};
template <class W>
void walkIn(W& w, SetActiveStateIn& p) {
  w.param(p.orpcThis);
  w.param(p.count);
  inArray(w, p.handles, p.count, 4);
  w.param(p.active);
}

struct SetClientHandlesIn {
  OrpcThis orpcThis;
  std::uint32_t count = 0;
  std::vector<std::uint32_t> handles;
  std::vector<std::uint32_t> clientHandles;
};
template <class W>
void walkIn(W& w, SetClientHandlesIn& p) {
  w.param(p.orpcThis);
  w.param(p.count);
  inArray(w, p.handles, p.count, 4);
  inArray(w, p.clientHandles, p.count, 4);
}

struct SetDatatypesIn {
  OrpcThis orpcThis;
  std::uint32_t count = 0;
  std::vector<std::uint32_t> handles;
  std::vector<std::uint16_t> types;
};
template <class W>
void walkIn(W& w, SetDatatypesIn& p) {
  w.param(p.orpcThis);
  w.param(p.count);
  inArray(w, p.handles, p.count, 4);
  inArray(w, p.types, p.count, 2);
}

struct IidIn {
  OrpcThis orpcThis;
  IID iid{};
};
template <class W>
void walkIn(W& w, IidIn& p) {
  w.param(p.orpcThis);
  w.param(p.iid);
}

// ---- IOPCSyncIO 39C13A52-011E-11D0-9675-0020AFD8ADB3

enum class SyncIoOp : std::uint16_t { read = 3, write = 4 };

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

// ---- IEnumOPCItemAttributes 39C13A55-011E-11D0-9675-0020AFD8ADB3

enum class EnumOp : std::uint16_t { next = 3, skip = 4 /* DwordIn / ResultOut */, reset = 5, clone = 6 };
// Next: DwordIn (celt) for every enumerator; Reset NoIn / ResultOut; Clone
// NoIn / InterfaceOut.

struct ItemAttributesNextOut {
  OrpcThat orpcThat;
  std::uint32_t requested = 0;  // celt; the array is sized by what was fetched
  std::vector<ItemAttributes> items;
  std::uint32_t fetched = 0;
  HRESULT result = S_OK;
};
template <class W>
void walkOut(W& w, ItemAttributesNextOut& p) {
  w.param(p.orpcThat);
  // [out, size_is(, *pceltFetched)]: the conformance travels with the array.
  w.construct([&] {
    std::uint32_t count = static_cast<std::uint32_t>(p.items.size());
    bool present = !p.items.empty();
    w.referent(present, false);
    if constexpr (W::kDecoding) p.items.clear();
    if (!present || !w.ok()) return;
    w.maxCount(count);
    w.elements(p.items, count, 52);
  });
  w.param(p.fetched);
  w.param(p.result);
}

// ---- IEnumString 00000101-0000-0000-C000-000000000046

// Next: [out, size_is(celt), length_is(*pceltFetched)] LPOLESTR rgelt[].
struct StringNextOut {
  OrpcThat orpcThat;
  std::uint32_t requested = 0;  // celt, the array's conformance
  std::vector<OptionalText> strings;
  std::uint32_t fetched = 0;
  HRESULT result = S_OK;
};
template <class W>
void walkOut(W& w, StringNextOut& p) {
  w.param(p.orpcThat);
  w.construct([&] {
    std::uint32_t maximum = p.requested;
    w.conformantVaryingArray(p.strings, 4, [](W& w2, OptionalText& t) { optionalText(w2, t); }, &maximum);
  });
  w.param(p.fetched);
  w.param(p.result);
}

// ---- IEnumUnknown 00000100-0000-0000-C000-000000000046

struct UnknownNextOut {
  OrpcThat orpcThat;
  std::uint32_t requested = 0;
  std::vector<Interface> objects;
  std::uint32_t fetched = 0;
  HRESULT result = S_OK;
};
template <class W>
void walkOut(W& w, UnknownNextOut& p) {
  w.param(p.orpcThat);
  w.construct([&] {
    std::uint32_t maximum = p.requested;
    w.conformantVaryingArray(p.objects, 4, [](W& w2, Interface& i) { w2.unique(i); }, &maximum);
  });
  w.param(p.fetched);
  w.param(p.result);
}

// ---- IEnumGUID 0002E000-0000-0000-C000-000000000046

struct GuidNextOut {
  OrpcThat orpcThat;
  std::uint32_t requested = 0;
  std::vector<GUID> guids;
  std::uint32_t fetched = 0;
  HRESULT result = S_OK;
};
template <class W>
void walkOut(W& w, GuidNextOut& p) {
  w.param(p.orpcThat);
  w.construct([&] {
    std::uint32_t maximum = p.requested;
    w.conformantVaryingArray(p.guids, 16, [](W& w2, GUID& g) { w2.item(g); }, &maximum);
  });
  w.param(p.fetched);
  w.param(p.result);
}

// ---- IConnectionPointContainer B196B284-BAB4-101A-B69C-00AA00341D07

enum class ContainerOp : std::uint16_t {
  enumConnectionPoints = 3,  // NoIn / InterfaceOut
  findConnectionPoint = 4,   // IidIn / InterfaceOut
};

// ---- IConnectionPoint B196B286-BAB4-101A-B69C-00AA00341D07

enum class ConnectionPointOp : std::uint16_t {
  getConnectionInterface = 3,       // NoIn / GuidOut
  getConnectionPointContainer = 4,  // NoIn / InterfaceOut
  advise = 5,
  unadvise = 6,                     // DwordIn / ResultOut
  enumConnections = 7,              // NoIn / InterfaceOut
};

struct AdviseIn {
  OrpcThis orpcThis;
  Interface sink;
};
template <class W>
void walkIn(W& w, AdviseIn& p) {
  w.param(p.orpcThis);
  interfaceParam(w, p.sink);
}
// Out: DwordOut (the cookie).

// ---- IOPCServerList 13486D50-4821-11D2-A494-3CB306C10000

enum class ServerListOp : std::uint16_t {
  enumClassesOfCategories = 3,
  getClassDetails = 4,
  clsidFromProgId = 5,  // TextIn / GuidOut
};

struct EnumClassesIn {
  OrpcThis orpcThis;
  std::uint32_t implementedCount = 0;
  std::vector<GUID> implemented;
  std::uint32_t requiredCount = 0;
  std::vector<GUID> required;
};
template <class W>
void walkIn(W& w, EnumClassesIn& p) {
  w.param(p.orpcThis);
  w.param(p.implementedCount);
  inArray(w, p.implemented, p.implementedCount, 16);
  w.param(p.requiredCount);
  inArray(w, p.required, p.requiredCount, 16);
}
// Out: InterfaceOut (an IEnumGUID).

struct ClassDetailsIn {
  OrpcThis orpcThis;
  CLSID clsid{};
};
template <class W>
void walkIn(W& w, ClassDetailsIn& p) {
  w.param(p.orpcThis);
  w.param(p.clsid);
}
struct ClassDetailsOut {
  OrpcThat orpcThat;
  OptionalText progId;
  OptionalText userType;
  HRESULT result = S_OK;
};
template <class W>
void walkOut(W& w, ClassDetailsOut& p) {
  w.param(p.orpcThat);
  optionalTextParam(w, p.progId);
  optionalTextParam(w, p.userType);
  w.param(p.result);
}

// ---- IOPCServerList2 9DD0B56C-AD9E-43EE-8305-487F3188BF7A: the same
// methods; EnumClassesOfCategories hands out an IOPCEnumGUID (whose methods
// are IEnumGUID's) and GetClassDetails adds the version-independent ProgID.

struct ClassDetails2Out {
  OrpcThat orpcThat;
  OptionalText progId;
  OptionalText userType;
  OptionalText independentProgId;
  HRESULT result = S_OK;
};
template <class W>
void walkOut(W& w, ClassDetails2Out& p) {
  w.param(p.orpcThat);
  optionalTextParam(w, p.progId);
  optionalTextParam(w, p.userType);
  optionalTextParam(w, p.independentProgId);
  w.param(p.result);
}

}  // namespace opcwire
