#pragma once

// The request and response shapes that several interfaces share, so that a
// method whose parameters are only these needs no description of its own.

#include "opcwire/methods/types.h"

namespace opcwire {

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
// One GUID out (GetClassID, GetConnectionInterface, CLSIDFromProgID).
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
// One interface identifier in (CreateEnumerator, FindConnectionPoint).
struct IidIn {
  OrpcThis orpcThis;
  IID iid{};
};
template <class W>
void walkIn(W& w, IidIn& p) {
  w.param(p.orpcThis);
  w.param(p.iid);
}

}  // namespace opcwire
