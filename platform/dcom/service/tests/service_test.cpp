// The system interfaces' handlers, fed the captured clients' requests and
// stubs of our own, without a network in between.

#include "dcom/service.h"

#include <gtest/gtest.h>

#include <cstring>

#include "../../tests/capture.h"
#include "../../tests/fake_object.h"
#include "dcom/activation_properties.h"

namespace dcom {
namespace {

using testing::Bytes;
using testing::FakeObject;
using testing::kIidMissing;
using testing::kIidSampleItf;
using testing::readCapture;

// The class both captured clients activate.
DEFINE_GUID(kClsidSample, 0x4E2A1B7C, 0x0000, 0x4000, 0x80, 0x00, 0x00, 0xC0, 0xFF, 0xEE, 0x00, 0x01);
rpc::Uuid uuidOf(const GUID& guid) { return toUuid(guid); }

constexpr HRESULT kRegdbEClassNotReg = static_cast<HRESULT>(0x80040154);

class Classes : public ClassProvider {
 public:
  FakeObject object;
  std::string lastUser;
  HRESULT createInstance(REFCLSID clsid, const std::string& user, IUnknown** out) override {
    lastUser = user;
    if (clsid != kClsidSample) return kRegdbEClassNotReg;
    object.AddRef();
    *out = &object;
    return S_OK;
  }
  HRESULT getClassObject(REFCLSID clsid, const std::string& user, IUnknown** out) override {
    return createInstance(clsid, user, out);
  }
};

class ServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ExporterSettings settings;
    settings.resolverBindings = bindingsFor({"127.0.0.1"}, 135);
    exporter = std::make_shared<Exporter>(settings);
    classes = std::make_shared<Classes>();
    options.exporterPort = 4000;
    options.minimumLevel = rpc::AuthLevel::PacketIntegrity;
  }
  rpc::CallContext context(std::uint16_t opnum, const std::string& user = "opcuser") {
    rpc::CallContext c;
    c.opnum = opnum;
    c.localAddress = "127.0.0.1";
    c.security.authenticated = !user.empty();
    c.security.user = user;
    c.security.domain = "TESTDOM";
    return c;
  }
  // The objects outlive the exporter that holds references to them.
  FakeObject object;
  std::shared_ptr<Classes> classes;
  std::shared_ptr<Exporter> exporter;
  ServiceOptions options;
};

const DualStringArray kExporterBindings = bindingsFor({"127.0.0.1"}, 4000);

// The interfaces are registered under the UUIDs the clients bind to.
TEST(ServiceIds, InterfaceUuidsAsClientsBindThem) {
  struct Case {
    GUID iid;
    const char* text;
  };
  const Case cases[] = {
      {kIidIObjectExporter, "99fcfec4-5260-101b-bbcb-00aa0021347a"},
      {kIidIRemoteScmActivator, "000001a0-0000-0000-c000-000000000046"},
      {kIidIActivation, "4d9f4ab8-7d1c-11cf-861e-0020af6e7c57"},
      {kIidIRemUnknown2, "00000143-0000-0000-c000-000000000046"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(toUuid(c.iid), rpc::Uuid::parse(c.text)) << c.text;
    EXPECT_EQ(toGuid(toUuid(c.iid)), c.iid) << c.text;
  }
  // The captured bind names IRemoteSCMActivator at offset 32 of the PDU.
  auto bind = readCapture("impacket-remotecreateinstance-none.hex").pdus[0].bytes;
  rpc::Uuid bound;
  std::copy(bind.begin() + 32, bind.begin() + 48, bound.bytes.begin());
  EXPECT_EQ(bound, toUuid(kIidIRemoteScmActivator));
}

TEST_F(ServiceTest, CapturedRemoteCreateInstanceIsAnswered) {
  auto request = readCapture("impacket-remotecreateinstance-none.hex").ofType(0)[0];
  auto handler = makeScmActivatorHandler(exporter, classes, options);
  rpc::CallResult result = handler->call(context(request.opnum()), request.stub());
  ASSERT_EQ(result.faultStatus, 0u);
  EXPECT_EQ(classes->lastUser, "testdom\\opcuser");

  ActivatorOut out;
  ASSERT_FALSE(ndr::decode(result.stub, [&](auto& w) { walkOut(w, out); }));
  EXPECT_EQ(out.result, S_OK);
  ASSERT_TRUE(out.properties);
  auto ref = decodeObjRef(out.properties->data);
  ASSERT_TRUE(ref);
  EXPECT_EQ(ref->clsid, kClsidActivationPropertiesOut);
  ActivationProperties reply;
  ASSERT_FALSE(decodeActivationProperties(ref->objectData, reply));
  ASSERT_TRUE(reply.propsOut && reply.scmReply && reply.scmReply->remoteReply);
  EXPECT_EQ(reply.propsOut->results, (std::vector<HRESULT>{S_OK}));
  ASSERT_TRUE(reply.propsOut->interfaces[0]);
  auto standard = decodeObjRef(reply.propsOut->interfaces[0]->data);
  ASSERT_TRUE(standard);
  EXPECT_EQ(standard->iid, kIidSampleItf);
  EXPECT_EQ(standard->std.oxid, exporter->oxid());
  EXPECT_TRUE(exporter->hasObject(standard->std.oid));
  const RemoteReplyScmInfo& scm = *reply.scmReply->remoteReply;
  EXPECT_EQ(scm.oxid, exporter->oxid());
  EXPECT_EQ(*scm.oxidBindings, kExporterBindings);
  EXPECT_EQ(scm.remUnknown, exporter->remUnknown());
  EXPECT_EQ(scm.authnHint, 5u);
}

// The captured request's properties, reused for the other activator calls.
std::unique_ptr<ndr::InterfacePointer> capturedProperties() {
  auto request = readCapture("impacket-remotecreateinstance-none.hex").ofType(0)[0];
  RemoteCreateInstanceIn in;
  EXPECT_FALSE(ndr::decode(request.stub(), [&](auto& w) { walkIn(w, in); }));
  return std::move(in.properties);
}

TEST_F(ServiceTest, ClassObjectsAggregationAndBrokenProperties) {
  auto handler = makeScmActivatorHandler(exporter, classes, options);
  auto answer = [&](std::uint16_t opnum, auto& in) {
    Bytes stub;
    EXPECT_FALSE(ndr::encode(stub, [&](auto& w) { walkIn(w, in); }));
    rpc::CallResult result = handler->call(context(opnum), stub);
    ActivatorOut out;
    if (result.faultStatus == 0) {
      EXPECT_FALSE(ndr::decode(result.stub, [&](auto& w) { walkOut(w, out); }));
    }
    return std::make_pair(result.faultStatus, std::move(out));
  };

  RemoteGetClassObjectIn classObject;
  classObject.properties = capturedProperties();
  auto [fault, out] = answer(3, classObject);
  ASSERT_EQ(fault, 0u);
  EXPECT_EQ(out.result, S_OK);
  EXPECT_TRUE(out.properties);

  RemoteCreateInstanceIn aggregated;
  aggregated.outer = std::make_unique<ndr::InterfacePointer>(ndr::InterfacePointer{{1, 2, 3}});
  aggregated.properties = capturedProperties();
  auto [fault2, out2] = answer(4, aggregated);
  ASSERT_EQ(fault2, 0u);
  EXPECT_EQ(out2.result, static_cast<HRESULT>(0x80040110));  // CLASS_E_NOAGGREGATION
  EXPECT_FALSE(out2.properties);

  // Properties in a standard OBJREF, and a custom one whose blob is cut.
  RemoteCreateInstanceIn wrongKind;
  wrongKind.properties = std::make_unique<ndr::InterfacePointer>(
      ndr::InterfacePointer{encodeObjRef(ObjRef{kObjRefStandard, kIidIActivationPropertiesIn, {}, {}, {}, 0, 0, {}, {}})});
  EXPECT_EQ(answer(4, wrongKind).second.result, kRpcEInvalidObjref);
  RemoteCreateInstanceIn cut;
  cut.properties = capturedProperties();
  cut.properties->data.resize(cut.properties->data.size() - 40);
  EXPECT_EQ(answer(4, cut).first, rpc::kFaultBadStubData);
  EXPECT_EQ(exporter->objectCount(), 1u);  // only the class object
}

TEST_F(ServiceTest, CapturedRemoteActivationIsAnswered) {
  auto request = readCapture("nodedcom-remoteactivation-connect-ntlmv1ess.hex").ofType(0)[0];
  auto handler = makeActivationHandler(exporter, classes, options);
  rpc::CallResult result = handler->call(context(0), request.stub());
  ASSERT_EQ(result.faultStatus, 0u);
  RemoteActivationOut out;
  ASSERT_FALSE(ndr::decode(result.stub, [&](auto& w) { walkOut(w, out, 1); }));
  EXPECT_EQ(out.result, S_OK);
  EXPECT_EQ(out.oxid, exporter->oxid());
  ASSERT_TRUE(out.oxidBindings);
  EXPECT_EQ(*out.oxidBindings, kExporterBindings);
  EXPECT_EQ(out.results, (std::vector<HRESULT>{S_OK}));
  ASSERT_TRUE(out.interfaces[0]);
  EXPECT_TRUE(decodeObjRef(out.interfaces[0]->data));
}

TEST_F(ServiceTest, ActivationRefusals) {
  struct Case {
    const char* name;
    CLSID clsid;
    std::vector<IID> iids;
    std::uint16_t minor;
    bool named;
    HRESULT expected;
  };
  const Case cases[] = {
      {"class not registered", kIidMissing, {IID_IUnknown}, 7, false, kRegdbEClassNotReg},
      {"no requested interface implemented", kClsidSample, {kIidMissing}, 7, false, E_NOINTERFACE},
      {"newer client version", kClsidSample, {IID_IUnknown}, 8, false, kRpcEVersionMismatch},
      {"persistent activation", kClsidSample, {IID_IUnknown}, 7, true, E_NOTIMPL},
  };
  auto handler = makeActivationHandler(exporter, classes, options);
  for (const Case& c : cases) {
    RemoteActivationIn in;
    in.orpcThis.version.minor = c.minor;
    in.clsid = c.clsid;
    in.iids = c.iids;
    in.requestedProtseqs = {kTowerTcp};
    if (c.named) in.objectName = std::make_unique<std::u16string>(u"file");
    Bytes stub;
    ASSERT_FALSE(ndr::encode(stub, [&](auto& w) { walkIn(w, in); }));
    rpc::CallResult result = handler->call(context(0), stub);
    ASSERT_EQ(result.faultStatus, 0u) << c.name;
    RemoteActivationOut out;
    ASSERT_FALSE(ndr::decode(result.stub, [&](auto& w) { walkOut(w, out, 1); })) << c.name;
    EXPECT_EQ(out.result, c.expected) << c.name;
    EXPECT_FALSE(out.interfaces[0]) << c.name;
  }
  EXPECT_EQ(exporter->objectCount(), 0u);
  // A stub that cannot be read is a fault, not a crash.
  EXPECT_EQ(handler->call(context(0), Bytes{1, 2, 3}).faultStatus, rpc::kFaultBadStubData);
  EXPECT_EQ(handler->call(context(1), Bytes{}).faultStatus, rpc::kFaultOpRangeError);
}

TEST_F(ServiceTest, ResolverAndPings) {
  auto resolver = makeResolverHandler(exporter, options);
  // The captured client asked for an OXID that is not ours.
  auto request = readCapture("impacket-objexporter-none.hex").ofType(0)[1];
  rpc::CallResult result = resolver->call(context(4), request.stub());
  ResolveOxidOut out;
  ASSERT_FALSE(ndr::decode(result.stub, [&](auto& w) { walkOut(w, out, true); }));
  EXPECT_EQ(out.status, kOrInvalidOxid);
  EXPECT_FALSE(out.bindings);

  ResolveOxidIn in{exporter->oxid(), {kTowerTcp}};
  Bytes stub;
  ASSERT_FALSE(ndr::encode(stub, [&](auto& w) { walkIn(w, in); }));
  result = resolver->call(context(4), stub);
  ASSERT_FALSE(ndr::decode(result.stub, [&](auto& w) { walkOut(w, out, true); }));
  EXPECT_EQ(out.status, 0u);
  EXPECT_EQ(*out.bindings, kExporterBindings);
  EXPECT_EQ(out.remUnknown, exporter->remUnknown());

  result = resolver->call(context(5, ""), Bytes{});
  ServerAlive2Out alive;
  ASSERT_FALSE(ndr::decode(result.stub, [&](auto& w) { walkOut(w, alive); }));
  EXPECT_EQ(alive.version.minor, 7);
  EXPECT_EQ(*alive.bindings, bindingsFor({"127.0.0.1"}, 135));

  StdObjRef exported;
  ASSERT_EQ(exporter->exportInterface(&object, IID_IUnknown, "testdom\\opcuser", 1, exported), S_OK);
  ComplexPingIn ping{0, 1, {exported.oid}, {}};
  stub.clear();
  ASSERT_FALSE(ndr::encode(stub, [&](auto& w) { walkIn(w, ping); }));
  result = resolver->call(context(2), stub);
  ComplexPingOut pinged;
  ASSERT_FALSE(ndr::decode(result.stub, [&](auto& w) { walkOut(w, pinged); }));
  EXPECT_EQ(pinged.status, 0u);
  EXPECT_NE(pinged.setId, 0u);
  // Another user cannot ping that set.
  SimplePingIn simple{pinged.setId};
  stub.clear();
  ASSERT_FALSE(ndr::encode(stub, [&](auto& w) { walkIn(w, simple); }));
  StatusOut status;
  ASSERT_FALSE(ndr::decode(resolver->call(context(1, "mallory"), stub).stub, [&](auto& w) { walkOut(w, status); }));
  EXPECT_EQ(status.status, 5u);
  ASSERT_FALSE(ndr::decode(resolver->call(context(1), stub).stub, [&](auto& w) { walkOut(w, status); }));
  EXPECT_EQ(status.status, 0u);
}

TEST_F(ServiceTest, RemUnknownServesOnlyTheCallersObjects) {
  StdObjRef exported;
  ASSERT_EQ(exporter->exportInterface(&object, IID_IUnknown, "testdom\\opcuser", 1, exported), S_OK);
  auto handler = makeRemUnknownHandler(exporter);

  RemQueryInterface2In in;
  in.ipid = exported.ipid;
  in.iids = {kIidSampleItf, kIidMissing};
  Bytes stub;
  ASSERT_FALSE(ndr::encode(stub, [&](auto& w) { walkIn(w, in); }));
  auto call = [&](const std::string& user, std::optional<GUID> object) {
    rpc::CallContext c = context(6, user);
    if (object) c.object = uuidOf(*object);
    return handler->call(c, stub);
  };
  EXPECT_NE(call("opcuser", exported.ipid).faultStatus, 0u);  // not the IRemUnknown IPID
  EXPECT_NE(call("opcuser", std::nullopt).faultStatus, 0u);

  rpc::CallResult result = call("opcuser", exporter->remUnknown());
  ASSERT_EQ(result.faultStatus, 0u);
  RemQueryInterface2Out out;
  ASSERT_FALSE(ndr::decode(result.stub, [&](auto& w) { walkOut(w, out, 2); }));
  EXPECT_EQ(out.result, S_OK);
  EXPECT_EQ(out.results, (std::vector<HRESULT>{S_OK, E_NOINTERFACE}));
  ASSERT_TRUE(out.interfaces[0]);
  EXPECT_FALSE(out.interfaces[1]);

  result = call("mallory", exporter->remUnknown());
  ASSERT_FALSE(ndr::decode(result.stub, [&](auto& w) { walkOut(w, out, 2); }));
  EXPECT_EQ(out.result, E_ACCESSDENIED);

  // Releasing every reference through RemRelease lets go of the object.
  RemRefsIn release;
  release.refs = {{exported.ipid, 1, 0}};
  stub.clear();
  ASSERT_FALSE(ndr::encode(stub, [&](auto& w) { walkIn(w, release); }));
  rpc::CallContext c = context(5);
  c.object = uuidOf(exporter->remUnknown());
  RemReleaseOut released;
  ASSERT_FALSE(ndr::decode(handler->call(c, stub).stub, [&](auto& w) { walkOut(w, released); }));
  EXPECT_EQ(released.result, S_OK);
  EXPECT_EQ(exporter->interfaceCount(), 1u);  // the interface of the QI above remains
}

}  // namespace
}  // namespace dcom
