#pragma once

// The server object's own interfaces: IOPCServer, IOPCCommon and
// IOPCServerPublicGroups.

#include "opcwire/methods/shapes.h"

namespace opcwire {

// ---- IOPCServer 39C13A4D-011E-11D0-9675-0020AFD8ADB3

enum class ServerOp : std::uint16_t {
  addGroup = 3,
  getErrorString = 4,
  getGroupByName = 5,
  getStatus = 6,
  removeGroup = 7,
  createGroupEnumerator = 8,
};

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

}  // namespace opcwire
