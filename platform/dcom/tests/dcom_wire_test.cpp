// The DCOM structures against what two independent clients sent and what a
// recorded responder answered.

#include <gtest/gtest.h>

#include "capture.h"
#include "dcom/activation_properties.h"
#include "dcom/methods.h"
#include "dcom/objref.h"

namespace dcom {
namespace {

using testing::Bytes;
using testing::hex;
using testing::readCapture;

DEFINE_GUID(kClsidSample, 0x4E2A1B7C, 0x0000, 0x4000, 0x80, 0x00, 0x00, 0xC0, 0xFF, 0xEE, 0x00, 0x01);
DEFINE_GUID(kIidIOpcServer, 0x39C13A4D, 0x011E, 0x11D0, 0x96, 0x75, 0x00, 0x20, 0xAF, 0xD8, 0xAD, 0xB3);

// The resolver's bindings as the recorded responder sent them.
DualStringArray recordedBindings() { return bindingsFor({"127.0.0.1"}, 13500); }

// This side answers ServerAlive2 and ResolveOxid2 with exactly the bytes the
// recorded responder sent (its referent ids and padding are the usual ones).
TEST(DcomWire, ResolverAnswersMatchTheRecordedOnes) {
  auto capture = readCapture("impacket-objexporter-none.hex");
  auto requests = capture.ofType(0);
  auto responses = capture.ofType(2);
  ASSERT_EQ(requests.size(), 2u);
  ASSERT_EQ(responses.size(), 2u);

  ASSERT_EQ(requests[0].opnum(), static_cast<std::uint16_t>(ExporterOp::serverAlive2));
  ServerAlive2Out alive;
  alive.bindings = std::make_unique<DualStringArray>(recordedBindings());
  Bytes out;
  ASSERT_FALSE(ndr::encode(out, [&](auto& w) { walkOut(w, alive); }));
  EXPECT_EQ(out, responses[0].stub());

  ASSERT_EQ(requests[1].opnum(), static_cast<std::uint16_t>(ExporterOp::resolveOxid2));
  ResolveOxidIn in;
  ASSERT_FALSE(ndr::decode(requests[1].stub(), [&](auto& w) { walkIn(w, in); }));
  EXPECT_EQ(in.oxid, 0x1122334455667788u);
  EXPECT_EQ(in.requestedProtseqs, (std::vector<std::uint16_t>{kTowerTcp}));

  ResolveOxidOut resolved;
  resolved.bindings = std::make_unique<DualStringArray>(recordedBindings());
  resolved.remUnknown = {0x00000400, 0x1111, 0x2222, {0x33, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x66}};
  resolved.authnHint = 1;
  out.clear();
  ASSERT_FALSE(ndr::encode(out, [&](auto& w) { walkOut(w, resolved, true); }));
  EXPECT_EQ(out, responses[1].stub());

  // And the recorded answer reads back as what was sent.
  ResolveOxidOut back;
  ASSERT_FALSE(ndr::decode(responses[1].stub(), [&](auto& w) { walkOut(w, back, true); }));
  ASSERT_TRUE(back.bindings);
  EXPECT_EQ(*back.bindings, recordedBindings());
  EXPECT_EQ(back.version.minor, 7);
}

void expectCapturedActivation(const Bytes& stub, std::uint16_t expectedMinor) {
  RemoteCreateInstanceIn in;
  ASSERT_FALSE(ndr::decode(stub, [&](auto& w) { walkIn(w, in); }));
  EXPECT_EQ(in.orpcThis.version.major, 5);
  EXPECT_EQ(in.orpcThis.version.minor, expectedMinor);
  EXPECT_FALSE(in.outer);
  ASSERT_TRUE(in.properties);

  auto ref = decodeObjRef(in.properties->data);
  ASSERT_TRUE(ref);
  EXPECT_EQ(ref->kind, kObjRefCustom);
  EXPECT_EQ(ref->iid, kIidIActivationPropertiesIn);
  EXPECT_EQ(ref->clsid, kClsidActivationPropertiesIn);
  // A custom OBJREF re-encodes to the very bytes received.
  EXPECT_EQ(encodeObjRef(*ref), in.properties->data);

  ActivationProperties properties;
  auto error = decodeActivationProperties(ref->objectData, properties);
  ASSERT_FALSE(error) << ndr::describe(error->status) << " at " << error->offset;
  EXPECT_EQ(properties.order, (std::vector<CLSID>{kClsidInstantiationInfo, kClsidActivationContextInfo,
                                                  kClsidServerLocationInfo, kClsidScmRequestInfo}));
  ASSERT_TRUE(properties.instantiation);
  EXPECT_EQ(properties.instantiation->classId, kClsidSample);
  EXPECT_EQ(properties.instantiation->iids, (std::vector<IID>{kIidIOpcServer}));
  EXPECT_EQ(properties.instantiation->clientVersion.minor, 7);
  ASSERT_TRUE(properties.context);
  EXPECT_FALSE(properties.context->clientContext);  // sent NULL; accepted
  ASSERT_TRUE(properties.location);
  ASSERT_TRUE(properties.scmRequest && properties.scmRequest->remoteRequest);
  EXPECT_EQ(properties.scmRequest->remoteRequest->requestedProtseqs, (std::vector<std::uint16_t>{kTowerTcp}));

  // What this side encodes reads back alike and encodes again the same.
  properties.order.clear();
  Bytes encoded = encodeActivationProperties(properties);
  ActivationProperties again;
  ASSERT_FALSE(decodeActivationProperties(encoded, again));
  EXPECT_EQ(again.instantiation->iids, properties.instantiation->iids);
  again.order.clear();
  EXPECT_EQ(encodeActivationProperties(again), encoded);
}

TEST(DcomWire, CapturedRemoteCreateInstanceRequests) {
  auto plain = readCapture("impacket-remotecreateinstance-none.hex");
  auto requests = plain.ofType(0);
  ASSERT_EQ(requests.size(), 1u);
  ASSERT_EQ(requests[0].opnum(), static_cast<std::uint16_t>(ScmActivatorOp::remoteCreateInstance));
  expectCapturedActivation(requests[0].stub(), 7);

  // The same call, sealed; its unsealed stub is recorded beside it.
  auto sealed = readCapture("impacket-remotecreateinstance-privacy-ntlmv2.hex");
  ASSERT_EQ(sealed.plainStubs.size(), 1u);
  expectCapturedActivation(sealed.plainStubs[0], 7);
}

TEST(DcomWire, CapturedRemoteActivationWithTrailingBytes) {
  auto capture = readCapture("nodedcom-remoteactivation-connect-ntlmv1ess.hex");
  auto requests = capture.ofType(0);
  ASSERT_EQ(requests.size(), 1u);
  const Bytes stub = requests[0].stub();
  RemoteActivationIn in;
  std::size_t used = 0;
  ASSERT_FALSE(ndr::decode(stub, [&](auto& w) { walkIn(w, in); }, &used));
  EXPECT_EQ(used, 0x66u);  // ten bytes of filler follow the last parameter
  EXPECT_EQ(stub.size(), 0x70u);
  EXPECT_EQ(in.orpcThis.version.minor, 4);
  EXPECT_EQ(in.clsid, kClsidSample);
  EXPECT_FALSE(in.objectName);
  EXPECT_FALSE(in.objectStorage);
  EXPECT_EQ(in.clientImpersonationLevel, 3u);
  EXPECT_EQ(in.mode, 0u);
  EXPECT_EQ(in.iids, (std::vector<IID>{kIidIOpcServer}));
  EXPECT_EQ(in.requestedProtseqs, (std::vector<std::uint16_t>{kTowerTcp}));
}

ObjRef standardRef(const IID& iid) {
  ObjRef ref;
  ref.kind = kObjRefStandard;
  ref.iid = iid;
  ref.std = {0, 5, 0x0102030405060708, 0x1112131415161718,
             {0xAABBCCDD, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}}};
  ref.resolverAddress = bindingsFor({"192.0.2.1"}, 0);
  return ref;
}

TEST(DcomWire, ActivationReplyRoundTrips) {
  ActivationProperties reply;
  reply.propsOut.emplace();
  reply.propsOut->iids = {IID_IUnknown, kIidIOpcServer};
  reply.propsOut->results = {S_OK, E_NOINTERFACE};
  reply.propsOut->interfaces.push_back(
      std::make_unique<ndr::InterfacePointer>(ndr::InterfacePointer{encodeObjRef(standardRef(IID_IUnknown))}));
  reply.propsOut->interfaces.emplace_back();
  reply.scmReply.emplace();
  reply.scmReply->remoteReply = std::make_unique<RemoteReplyScmInfo>();
  reply.scmReply->remoteReply->oxid = 0x99;
  reply.scmReply->remoteReply->oxidBindings = std::make_unique<DualStringArray>(bindingsFor({"127.0.0.1"}, 4000));
  reply.scmReply->remoteReply->authnHint = 5;

  auto objref = decodeObjRef(activationObjRef(reply, true));
  ASSERT_TRUE(objref);
  EXPECT_EQ(objref->iid, kIidIActivationPropertiesOut);
  ActivationProperties back;
  ASSERT_FALSE(decodeActivationProperties(objref->objectData, back));
  // A peer expects the interfaces' answers before the resolver's.
  EXPECT_EQ(back.order, (std::vector<CLSID>{kClsidPropsOutInfo, kClsidScmReplyInfo}));
  ASSERT_TRUE(back.propsOut && back.scmReply && back.scmReply->remoteReply);
  EXPECT_EQ(back.propsOut->results, (std::vector<HRESULT>{S_OK, E_NOINTERFACE}));
  ASSERT_EQ(back.propsOut->interfaces.size(), 2u);
  ASSERT_TRUE(back.propsOut->interfaces[0]);
  EXPECT_FALSE(back.propsOut->interfaces[1]);
  auto standard = decodeObjRef(back.propsOut->interfaces[0]->data);
  ASSERT_TRUE(standard);
  EXPECT_EQ(standard->std.oid, 0x1112131415161718u);
  EXPECT_EQ(standard->resolverAddress, bindingsFor({"192.0.2.1"}, 0));
  EXPECT_EQ(back.scmReply->remoteReply->oxid, 0x99u);
  EXPECT_EQ(*back.scmReply->remoteReply->oxidBindings, bindingsFor({"127.0.0.1"}, 4000));
}

TEST(DcomWire, BrokenActivationBlobsAreRefused) {
  auto capture = readCapture("impacket-remotecreateinstance-none.hex");
  RemoteCreateInstanceIn in;
  ASSERT_FALSE(ndr::decode(capture.ofType(0)[0].stub(), [&](auto& w) { walkIn(w, in); }));
  const Bytes blob = decodeObjRef(in.properties->data)->objectData;
  // Every cut of the blob fails cleanly.
  for (std::size_t length = 0; length < blob.size(); ++length) {
    ActivationProperties properties;
    EXPECT_TRUE(decodeActivationProperties(Bytes(blob.begin(), blob.begin() + length), properties)) << length;
  }
  // Sizes that do not add up within the blob; no properties at all; a big-
  // endian stream.
  struct Case {
    const char* name;
    std::size_t at;
    std::uint8_t value;
  };
  const Case cases[] = {
      {"first property size beyond the blob", 0x93, 0xff},
      {"header size beyond the blob", 0x1d, 0xff},
      {"no properties", 0x28, 0x00},
      {"big-endian header", 0x09, 0x00},
  };
  for (const Case& c : cases) {
    Bytes broken = blob;
    broken[c.at] = c.value;
    ActivationProperties properties;
    EXPECT_TRUE(decodeActivationProperties(broken, properties)) << c.name;
  }
}

TEST(DcomWire, ObjRefLayoutAndRefusals) {
  const Bytes bytes = encodeObjRef(standardRef(kIidIOpcServer));
  // signature, kind, iid, STDOBJREF at 24, the bindings at 64 without max_count.
  EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 8), hex("4d454f57 01000000"));
  EXPECT_EQ(Bytes(bytes.begin() + 24, bytes.begin() + 32), hex("00000000 05000000"));
  EXPECT_EQ(Bytes(bytes.begin() + 64, bytes.begin() + 68), hex("1000 0c00"));
  auto back = decodeObjRef(bytes);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->std.oxid, 0x0102030405060708u);
  EXPECT_EQ(back->std.ipid.Data1, 0xAABBCCDDu);

  for (std::size_t length = 0; length < bytes.size(); ++length) {
    EXPECT_FALSE(decodeObjRef(std::span(bytes.data(), length))) << length;
  }
  struct Case {
    const char* name;
    std::size_t at;
    std::uint8_t value;
  };
  const Case cases[] = {
      {"signature", 0, 'X'}, {"two kinds", 4, 0x05}, {"no kind", 4, 0x00}, {"unknown kind", 4, 0x10},
      {"bindings past the end", 64, 0xff},  {"security offset past the end", 66, 0xff},
  };
  for (const Case& c : cases) {
    Bytes broken = bytes;
    broken[c.at] = c.value;
    EXPECT_FALSE(decodeObjRef(broken)) << c.name;
  }
  ObjRef nullIid = standardRef(GUID_NULL);
  EXPECT_FALSE(decodeObjRef(encodeObjRef(nullIid)));

  ObjRef extended = standardRef(kIidIOpcServer);
  extended.kind = kObjRefExtended;
  extended.elements.push_back({kClsidContextExtension, {1, 2, 3}});
  auto ext = decodeObjRef(encodeObjRef(extended));
  ASSERT_TRUE(ext);
  ASSERT_EQ(ext->elements.size(), 1u);
  EXPECT_EQ(ext->elements[0].data, (std::vector<std::uint8_t>{1, 2, 3}));
}

TEST(DcomWire, DualStringArrayBounds) {
  struct Case {
    const char* name;
    std::vector<std::uint16_t> words;
    std::uint16_t securityOffset;
    bool valid;
  };
  const Case cases[] = {
      {"smallest", {0, 0, 0, 0}, 2, true},
      {"address without terminator", {7, 'a', 'b', 0, 10, 0xffff, 0, 0}, 3, false},
      {"offset beyond the words", {0, 0}, 3, false},
      {"principal without terminator", {0, 0, 10, 0xffff, 'x'}, 2, false},
      {"security binding cut after its service", {0, 0, 10}, 2, false},
      {"two addresses", {7, 'a', 0, 7, 'b', 0, 0, 0, 0}, 7, true},
  };
  for (const Case& c : cases) {
    auto parsed = fromWords(c.words, c.securityOffset);
    EXPECT_EQ(parsed.has_value(), c.valid) << c.name;
  }
  auto two = fromWords(cases[5].words, 7);
  ASSERT_TRUE(two);
  EXPECT_EQ(two->strings.size(), 2u);
  EXPECT_EQ(two->strings[1].networkAddress, u"b");
  EXPECT_EQ(toWords(DualStringArray{}).entries, (std::vector<std::uint16_t>{0, 0, 0, 0}));
}

TEST(DcomWire, OrpcExtensionsAndRemUnknownLayouts) {
  OrpcThis with;
  with.extensions = std::make_unique<OrpcExtentArray>();
  with.extensions->extents.push_back(std::make_unique<OrpcExtent>(OrpcExtent{kClsidErrorExtension, {9, 9, 9}}));
  Bytes out;
  ASSERT_FALSE(ndr::encode(out, [&](auto& w) { w.param(with); }));
  OrpcThis back;
  ASSERT_FALSE(ndr::decode(out, [&](auto& w) { w.param(back); }));
  ASSERT_TRUE(back.extensions);
  ASSERT_EQ(back.extensions->extents.size(), 2u);  // padded to an even count
  ASSERT_TRUE(back.extensions->extents[0]);
  EXPECT_FALSE(back.extensions->extents[1]);
  EXPECT_EQ(back.extensions->extents[0]->data, (std::vector<std::uint8_t>{9, 9, 9}));

  // RemQueryInterface's answer: ORPCTHAT, referent, max_count, padding to 8,
  // 48-byte results, HRESULT.
  RemQueryInterfaceOut qi;
  qi.results.push_back({S_OK, standardRef(kIidIOpcServer).std});
  out.clear();
  ASSERT_FALSE(ndr::encode(out, [&](auto& w) { walkOut(w, qi, 1); }));
  EXPECT_EQ(out.size(), 8 + 4 + 4 + 48 + 4u);
  EXPECT_EQ(Bytes(out.begin() + 8, out.begin() + 24), hex("00000200 01000000 00000000 00000000"));
  RemQueryInterfaceOut qiBack;
  ASSERT_FALSE(ndr::decode(out, [&](auto& w) { walkOut(w, qiBack, 1); }));
  ASSERT_EQ(qiBack.results.size(), 1u);
  EXPECT_EQ(qiBack.results[0].std.oid, 0x1112131415161718u);

  // A count in the stub that differs from the array's conformance.
  RemRefsIn refs;
  refs.refs.push_back({standardRef(kIidIOpcServer).std.ipid, 1, 0});
  out.clear();
  ASSERT_FALSE(ndr::encode(out, [&](auto& w) { walkIn(w, refs); }));
  out[32] = 2;  // cInterfaceRefs
  RemRefsIn refsBack;
  auto error = ndr::decode(out, [&](auto& w) { walkIn(w, refsBack); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->status, ndr::Status::invalid);
}

}  // namespace
}  // namespace dcom
