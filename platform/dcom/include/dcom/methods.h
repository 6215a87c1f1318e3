#pragma once

// The parameters of the system interfaces' methods, each described once for
// both directions: walkIn for the request stub (what a server decodes and a
// client encodes), walkOut for the response stub. Object methods begin with
// ORPCTHIS / ORPCTHAT; the resolver's are plain RPC.

#include <memory>
#include <string>
#include <vector>

#include "dcom/dual_string_array.h"
#include "dcom/objref.h"
#include "dcom/orpc.h"
#include "ndr/ole.h"

namespace dcom {

// ---- IObjectExporter (the OXID resolver)

enum class ExporterOp : std::uint16_t {
  resolveOxid = 0,
  simplePing = 1,
  complexPing = 2,
  serverAlive = 3,
  resolveOxid2 = 4,
  serverAlive2 = 5,
};

// ResolveOxid and ResolveOxid2.
struct ResolveOxidIn {
  Oxid oxid = 0;
  std::vector<std::uint16_t> requestedProtseqs;
};
template <class W>
void walkIn(W& w, ResolveOxidIn& p) {
  w.param(p.oxid);
  std::uint16_t count = static_cast<std::uint16_t>(p.requestedProtseqs.size());
  w.param(count);
  w.construct([&] { w.sizedArray(p.requestedProtseqs, count, 2); });
}

struct ResolveOxidOut {
  std::unique_ptr<DualStringArray> bindings;
  Ipid remUnknown{};
  std::uint32_t authnHint = 0;
  ComVersion version = kServerVersion;  // ResolveOxid2 only
  std::uint32_t status = 0;
};
template <class W>
void walkOut(W& w, ResolveOxidOut& p, bool second) {
  w.construct([&] { w.unique(p.bindings); });
  w.param(p.remUnknown);
  w.param(p.authnHint);
  if (second) w.param(p.version);
  w.param(p.status);
}

struct SimplePingIn {
  SetId setId = 0;
};
template <class W>
void walkIn(W& w, SimplePingIn& p) {
  w.param(p.setId);
}

struct ComplexPingIn {
  SetId setId = 0;
  std::uint16_t sequence = 0;
  std::vector<Oid> add;
  std::vector<Oid> remove;
};
template <class W>
void walkIn(W& w, ComplexPingIn& p) {
  w.param(p.setId);
  w.param(p.sequence);
  std::uint16_t adds = static_cast<std::uint16_t>(p.add.size());
  std::uint16_t removes = static_cast<std::uint16_t>(p.remove.size());
  w.param(adds);
  w.param(removes);
  w.construct([&] { w.sizedPointer(p.add, adds, 8); });
  w.construct([&] { w.sizedPointer(p.remove, removes, 8); });
}

struct ComplexPingOut {
  SetId setId = 0;
  std::uint16_t backoffFactor = 0;
  std::uint32_t status = 0;
};
template <class W>
void walkOut(W& w, ComplexPingOut& p) {
  w.param(p.setId);
  w.param(p.backoffFactor);
  w.param(p.status);
}

// SimplePing and ServerAlive answer with the status alone.
struct StatusOut {
  std::uint32_t status = 0;
};
template <class W>
void walkOut(W& w, StatusOut& p) {
  w.param(p.status);
}

struct ServerAlive2Out {
  ComVersion version = kServerVersion;
  std::unique_ptr<DualStringArray> bindings;
  std::uint32_t reserved = 0;
  std::uint32_t status = 0;
};
template <class W>
void walkOut(W& w, ServerAlive2Out& p) {
  w.param(p.version);
  w.construct([&] { w.unique(p.bindings); });
  w.param(p.reserved);
  w.param(p.status);
}

// ---- IRemoteSCMActivator (opnums 3 and 4)

enum class ScmActivatorOp : std::uint16_t { remoteGetClassObject = 3, remoteCreateInstance = 4 };

struct RemoteCreateInstanceIn {
  OrpcThis orpcThis;
  std::unique_ptr<ndr::InterfacePointer> outer;  // aggregation, which is refused
  std::unique_ptr<ndr::InterfacePointer> properties;
};
template <class W>
void walkIn(W& w, RemoteCreateInstanceIn& p) {
  w.param(p.orpcThis);
  w.construct([&] { w.unique(p.outer); });
  w.construct([&] { w.unique(p.properties); });
}

struct RemoteGetClassObjectIn {
  OrpcThis orpcThis;
  std::unique_ptr<ndr::InterfacePointer> properties;
};
template <class W>
void walkIn(W& w, RemoteGetClassObjectIn& p) {
  w.param(p.orpcThis);
  w.construct([&] { w.unique(p.properties); });
}

// The answer of both.
struct ActivatorOut {
  OrpcThat orpcThat;
  std::unique_ptr<ndr::InterfacePointer> properties;
  HRESULT result = S_OK;
};
template <class W>
void walkOut(W& w, ActivatorOut& p) {
  w.param(p.orpcThat);
  w.construct([&] { w.unique(p.properties); });
  w.param(p.result);
}

// ---- IActivation::RemoteActivation (opnum 0)

inline constexpr std::uint32_t kModeGetClassObject = 0xFFFFFFFF;

struct RemoteActivationIn {
  OrpcThis orpcThis;
  CLSID clsid{};
  std::unique_ptr<std::u16string> objectName;
  std::unique_ptr<ndr::InterfacePointer> objectStorage;
  std::uint32_t clientImpersonationLevel = 0;
  std::uint32_t mode = 0;
  std::vector<IID> iids;
  std::vector<std::uint16_t> requestedProtseqs;
};
template <class W>
void walkIn(W& w, RemoteActivationIn& p) {
  w.param(p.orpcThis);
  w.param(p.clsid);
  w.construct([&] { w.unique(p.objectName, [](W& w2, std::u16string& s) { w2.wideString(s); }); });
  w.construct([&] { w.unique(p.objectStorage); });
  w.param(p.clientImpersonationLevel);
  w.param(p.mode);
  std::uint32_t interfaces = static_cast<std::uint32_t>(p.iids.size());
  w.param(interfaces);
  w.construct([&] { w.sizedPointer(p.iids, interfaces, 16); });
  std::uint16_t protseqs = static_cast<std::uint16_t>(p.requestedProtseqs.size());
  w.param(protseqs);
  w.construct([&] { w.sizedArray(p.requestedProtseqs, protseqs, 2); });
}

struct RemoteActivationOut {
  OrpcThat orpcThat;
  Oxid oxid = 0;
  std::unique_ptr<DualStringArray> oxidBindings;
  Ipid remUnknown{};
  std::uint32_t authnHint = 0;
  ComVersion serverVersion = kServerVersion;
  HRESULT result = S_OK;
  // One per requested interface.
  std::vector<std::unique_ptr<ndr::InterfacePointer>> interfaces;
  std::vector<HRESULT> results;
  std::uint32_t status = 0;
};
// count is the request's number of interfaces, which sizes both arrays.
template <class W>
void walkOut(W& w, RemoteActivationOut& p, std::uint32_t count) {
  w.param(p.orpcThat);
  w.param(p.oxid);
  w.construct([&] { w.unique(p.oxidBindings); });
  w.param(p.remUnknown);
  w.param(p.authnHint);
  w.param(p.serverVersion);
  w.param(p.result);
  w.construct([&] {
    w.sizedArray(p.interfaces, count, 4, [](W& w2, std::unique_ptr<ndr::InterfacePointer>& e) { w2.unique(e); });
  });
  w.construct([&] { w.sizedArray(p.results, count, 4); });
  w.param(p.status);
}

// ---- IRemUnknown (3-5) and IRemUnknown2 (6)

enum class RemUnknownOp : std::uint16_t {
  remQueryInterface = 3,
  remAddRef = 4,
  remRelease = 5,
  remQueryInterface2 = 6,
};

struct RemQiResult {
  HRESULT result = S_OK;
  StdObjRef std;
};
template <class W>
void walk(W& w, RemQiResult& r) {
  w.align(8);
  w.i32(r.result);
  w.item(r.std);
}

struct RemInterfaceRef {
  Ipid ipid{};
  std::uint32_t publicRefs = 0;
  std::uint32_t privateRefs = 0;
};
template <class W>
void walk(W& w, RemInterfaceRef& r) {
  w.align(4);
  w.item(r.ipid);
  w.u32(r.publicRefs);
  w.u32(r.privateRefs);
}

struct RemQueryInterfaceIn {
  OrpcThis orpcThis;
  Ipid ipid{};
  std::uint32_t refs = 0;
  std::vector<IID> iids;
};
template <class W>
void walkIn(W& w, RemQueryInterfaceIn& p) {
  w.param(p.orpcThis);
  w.param(p.ipid);
  w.param(p.refs);
  std::uint16_t count = static_cast<std::uint16_t>(p.iids.size());
  w.param(count);
  w.construct([&] { w.sizedArray(p.iids, count, 16); });
}

struct RemQueryInterfaceOut {
  OrpcThat orpcThat;
  std::vector<RemQiResult> results;  // one per requested IID
  HRESULT result = S_OK;
};
template <class W>
void walkOut(W& w, RemQueryInterfaceOut& p, std::uint16_t count) {
  w.param(p.orpcThat);
  w.construct([&] { w.sizedPointer(p.results, count, 48); });
  w.param(p.result);
}

// RemAddRef and RemRelease take the same list.
struct RemRefsIn {
  OrpcThis orpcThis;
  std::vector<RemInterfaceRef> refs;
};
template <class W>
void walkIn(W& w, RemRefsIn& p) {
  w.param(p.orpcThis);
  std::uint16_t count = static_cast<std::uint16_t>(p.refs.size());
  w.param(count);
  w.construct([&] { w.sizedArray(p.refs, count, 24); });
}

struct RemAddRefOut {
  OrpcThat orpcThat;
  std::vector<HRESULT> results;
  HRESULT result = S_OK;
};
template <class W>
void walkOut(W& w, RemAddRefOut& p, std::uint16_t count) {
  w.param(p.orpcThat);
  w.construct([&] { w.sizedArray(p.results, count, 4); });
  w.param(p.result);
}

struct RemReleaseOut {
  OrpcThat orpcThat;
  HRESULT result = S_OK;
};
template <class W>
void walkOut(W& w, RemReleaseOut& p) {
  w.param(p.orpcThat);
  w.param(p.result);
}

struct RemQueryInterface2In {
  OrpcThis orpcThis;
  Ipid ipid{};
  std::vector<IID> iids;
};
template <class W>
void walkIn(W& w, RemQueryInterface2In& p) {
  w.param(p.orpcThis);
  w.param(p.ipid);
  std::uint16_t count = static_cast<std::uint16_t>(p.iids.size());
  w.param(count);
  w.construct([&] { w.sizedArray(p.iids, count, 16); });
}

struct RemQueryInterface2Out {
  OrpcThat orpcThat;
  std::vector<HRESULT> results;
  std::vector<std::unique_ptr<ndr::InterfacePointer>> interfaces;
  HRESULT result = S_OK;
};
template <class W>
void walkOut(W& w, RemQueryInterface2Out& p, std::uint16_t count) {
  w.param(p.orpcThat);
  w.construct([&] { w.sizedArray(p.results, count, 4); });
  w.construct([&] {
    w.sizedArray(p.interfaces, count, 4, [](W& w2, std::unique_ptr<ndr::InterfacePointer>& e) { w2.unique(e); });
  });
  w.param(p.result);
}

}  // namespace dcom
