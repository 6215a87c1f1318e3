#pragma once

// The server list: IOPCServerList and IOPCServerList2.

#include "opcwire/methods/shapes.h"

namespace opcwire {

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
