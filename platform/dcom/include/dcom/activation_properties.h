#pragma once

// The activation properties: what a client asks of the activator
// (RemoteCreateInstance, RemoteGetClassObject) and what it answers, carried
// in a custom OBJREF as one blob:
//   dwSize · dwReserved · CustomHeader · property...
// where the header and each property are separately serialized NDR streams
// (an 8-byte common header, an 8-byte private header with the body's length,
// the body padded to eight bytes). The header lists each property's class
// and size; properties are found by those sizes, since peers disagree on the
// body lengths in the private headers.

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "dcom/dual_string_array.h"
#include "dcom/orpc.h"
#include "ndr/ole.h"

namespace dcom {

// Property limits: a blob names at least one and at most this many.
inline constexpr std::uint32_t kMaxActivationProperties = 10;

struct InstantiationInfo {
  CLSID classId{};
  std::uint32_t classContext = 0;
  std::uint32_t activationFlags = 0;
  std::int32_t isSurrogate = 0;
  std::uint32_t instanceFlag = 0;
  std::vector<IID> iids;
  std::uint32_t thisSize = 0;
  ComVersion clientVersion;
};

struct ActivationContextInfo {
  std::int32_t clientOk = 0;
  std::int32_t reserved1 = 0;
  std::uint32_t reserved2 = 0;
  std::uint32_t reserved3 = 0;
  // Some peers send no client context, although one is expected.
  std::unique_ptr<ndr::InterfacePointer> clientContext;
  std::unique_ptr<ndr::InterfacePointer> prototypeContext;
};

struct LocationInfo {
  std::unique_ptr<std::u16string> machineName;
  std::uint32_t processId = 0;
  std::uint32_t apartmentId = 0;
  std::uint32_t contextId = 0;
};

struct RemoteRequestScmInfo {
  std::uint32_t clientImpersonationLevel = 0;
  std::vector<std::uint16_t> requestedProtseqs;
};
struct ScmRequestInfo {
  std::unique_ptr<std::uint32_t> reserved;
  std::unique_ptr<RemoteRequestScmInfo> remoteRequest;
};

struct RemoteReplyScmInfo {
  Oxid oxid = 0;
  std::unique_ptr<DualStringArray> oxidBindings;
  Ipid remUnknown{};
  std::uint32_t authnHint = 0;
  ComVersion serverVersion = kServerVersion;
};
struct ScmReplyInfo {
  std::unique_ptr<std::uint32_t> reserved;
  std::unique_ptr<RemoteReplyScmInfo> remoteReply;
};

// Per requested interface: its result and, on success, its OBJREF.
struct PropsOutInfo {
  std::vector<IID> iids;
  std::vector<HRESULT> results;
  std::vector<std::unique_ptr<ndr::InterfacePointer>> interfaces;
};

template <class W>
void walk(W& w, InstantiationInfo& p) {
  w.align(4);
  w.item(p.classId);
  w.u32(p.classContext);
  w.u32(p.activationFlags);
  w.i32(p.isSurrogate);
  std::uint32_t count = static_cast<std::uint32_t>(p.iids.size());
  w.u32(count);
  w.u32(p.instanceFlag);
  w.sizedPointer(p.iids, count, 16);
  w.u32(p.thisSize);
  w.item(p.clientVersion);
}

template <class W>
void walk(W& w, ActivationContextInfo& p) {
  w.align(4);
  w.i32(p.clientOk);
  w.i32(p.reserved1);
  w.u32(p.reserved2);
  w.u32(p.reserved3);
  w.unique(p.clientContext);
  w.unique(p.prototypeContext);
}

template <class W>
void walk(W& w, LocationInfo& p) {
  w.align(4);
  w.unique(p.machineName, [](W& w2, std::u16string& s) { w2.wideString(s); });
  w.u32(p.processId);
  w.u32(p.apartmentId);
  w.u32(p.contextId);
}

template <class W>
void walk(W& w, RemoteRequestScmInfo& p) {
  w.align(4);
  w.u32(p.clientImpersonationLevel);
  std::uint16_t count = static_cast<std::uint16_t>(p.requestedProtseqs.size());
  w.u16(count);
  w.sizedPointer(p.requestedProtseqs, count, 2);
}

template <class W>
void walk(W& w, ScmRequestInfo& p) {
  w.align(4);
  w.unique(p.reserved);
  w.ref(p.remoteRequest);
}

template <class W>
void walk(W& w, RemoteReplyScmInfo& p) {
  w.align(8);
  w.u64(p.oxid);
  w.unique(p.oxidBindings);
  w.item(p.remUnknown);
  w.u32(p.authnHint);
  w.item(p.serverVersion);
}

template <class W>
void walk(W& w, ScmReplyInfo& p) {
  w.align(4);
  w.unique(p.reserved);
  w.unique(p.remoteReply);
}

template <class W>
void walk(W& w, PropsOutInfo& p) {
  w.align(4);
  std::uint32_t count = static_cast<std::uint32_t>(p.iids.size());
  w.u32(count);
  w.sizedPointer(p.iids, count, 16);
  w.sizedPointer(p.results, count, 4);
  w.sizedPointer(p.interfaces, count, 4,
                 [](W& w2, std::unique_ptr<ndr::InterfacePointer>& e) { w2.unique(e); });
}

// The properties of one blob. Properties this side does not read keep their
// serialized bytes, so that nothing is lost in passing.
struct ActivationProperties {
  std::uint32_t destinationContext = 2;
  std::optional<InstantiationInfo> instantiation;
  std::optional<ActivationContextInfo> context;
  std::optional<LocationInfo> location;
  std::optional<ScmRequestInfo> scmRequest;
  std::optional<ScmReplyInfo> scmReply;
  std::optional<PropsOutInfo> propsOut;
  struct Raw {
    CLSID clsid{};
    std::vector<std::uint8_t> serialized;  // headers and padded body
  };
  std::vector<Raw> others;
  // The classes in the order they came or are to be sent. Empty when
  // encoding: the order below, replies with PropsOutInfo first (a peer
  // expects it so).
  std::vector<CLSID> order;
};

// Reads the blob of a custom OBJREF (its pObjectData). Checks that the sizes
// in the header add up within the blob and that each property the server
// reads decodes; the first fault is returned.
std::optional<ndr::Error> decodeActivationProperties(std::span<const std::uint8_t> blob,
                                                     ActivationProperties& properties);
std::vector<std::uint8_t> encodeActivationProperties(ActivationProperties& properties);

// The whole MInterfacePointer of an activation request or reply: a custom
// OBJREF of IActivationPropertiesIn/Out around the blob.
std::vector<std::uint8_t> activationObjRef(ActivationProperties& properties, bool reply);

// One type-serialized stream (header, private header, body padded to 8) of
// what body(W&) describes, and its reverse; exposed for the tests and for
// properties added later.
template <class F>
std::vector<std::uint8_t> serializeType(F&& body);
std::optional<ndr::Error> deserializeType(std::span<const std::uint8_t> stream,
                                          const std::function<void(ndr::Decoder&)>& body);

template <class F>
std::vector<std::uint8_t> serializeType(F&& body) {
  std::vector<std::uint8_t> out = {0x01, 0x10, 0x08, 0x00, 0xCC, 0xCC, 0xCC, 0xCC, 0, 0, 0, 0, 0, 0, 0, 0};
  std::vector<std::uint8_t> object;
  ndr::encode(object, body);
  object.resize((object.size() + 7) & ~std::size_t{7});
  const std::uint32_t length = static_cast<std::uint32_t>(object.size());
  for (int i = 0; i < 4; ++i) out[8 + i] = static_cast<std::uint8_t>(length >> (8 * i));
  out.insert(out.end(), object.begin(), object.end());
  return out;
}

}  // namespace dcom
