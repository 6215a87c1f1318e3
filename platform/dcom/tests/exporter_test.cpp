#include "dcom/exporter.h"

#include <gtest/gtest.h>

#include "fake_object.h"

namespace dcom {
namespace {

using namespace std::chrono_literals;
using testing::FakeObject;
using testing::kIidMissing;
using testing::kIidSampleItf;

// An exporter on a clock the test moves.
class ExporterTest : public ::testing::Test {
 protected:
  std::chrono::steady_clock::time_point now{};
  ExporterSettings settings() {
    ExporterSettings s;
    s.resolverBindings = bindingsFor({"127.0.0.1"}, 135);
    return s;
  }
  Exporter::Clock clock() {
    return [this] { return now; };
  }
};

TEST_F(ExporterTest, OneOidPerObjectAndOwnerOneIpidPerInterface) {
  FakeObject object;  // outlives the exporter's references
  Exporter exporter(settings(), clock());
  StdObjRef a, b, c, d;
  ASSERT_EQ(exporter.exportInterface(&object, IID_IUnknown, "alice", 0, a), S_OK);
  ASSERT_EQ(exporter.exportInterface(&object, IID_IUnknown, "alice", 2, b), S_OK);
  ASSERT_EQ(exporter.exportInterface(&object, kIidSampleItf, "alice", 1, c), S_OK);
  ASSERT_EQ(exporter.exportInterface(&object, IID_IUnknown, "bob", 1, d), S_OK);
  EXPECT_EQ(a.publicRefs, 5u);  // the setting when none is asked for
  EXPECT_EQ(a.oxid, exporter.oxid());
  EXPECT_EQ(a.oid, b.oid);
  EXPECT_EQ(a.ipid, b.ipid);
  EXPECT_EQ(a.oid, c.oid);
  EXPECT_NE(a.ipid, c.ipid);
  EXPECT_NE(a.oid, d.oid);
  EXPECT_EQ(exporter.objectCount(), 2u);
  EXPECT_EQ(exporter.interfaceCount(), 3u);
  EXPECT_EQ(exporter.exportInterface(&object, kIidMissing, "alice", 1, a), E_NOINTERFACE);

  Exporter::Target target;
  EXPECT_EQ(exporter.resolve(c.ipid, "alice", target), S_OK);
  EXPECT_EQ(target.iid, kIidSampleItf);
  EXPECT_EQ(target.object.get(), &object);
  EXPECT_EQ(exporter.resolve(c.ipid, "bob", target), E_ACCESSDENIED);
  EXPECT_EQ(exporter.resolve(exporter.remUnknown(), "alice", target), kRpcEInvalidIpid);
  Ipid unknown{1, 2, 3, {}};
  EXPECT_EQ(exporter.resolve(unknown, "alice", target), kRpcEInvalidIpid);
}

TEST_F(ExporterTest, ReleasingEveryReferenceLetsGoOfTheObject) {
  FakeObject object;  // outlives the exporter's references
  Exporter exporter(settings(), clock());
  StdObjRef unknown, itf;
  ASSERT_EQ(exporter.exportInterface(&object, IID_IUnknown, "alice", 5, unknown), S_OK);
  ASSERT_EQ(exporter.exportInterface(&object, kIidSampleItf, "alice", 1, itf), S_OK);
  EXPECT_GT(object.held(), 0u);

  // Some clients return public references one at a time.
  for (int i = 0; i < 4; ++i) EXPECT_EQ(exporter.remRelease({{unknown.ipid, 1, 0}}, "alice"), S_OK);
  EXPECT_EQ(exporter.interfaceCount(), 2u);
  EXPECT_EQ(exporter.remRelease({{unknown.ipid, 1, 0}}, "alice"), S_OK);
  EXPECT_EQ(exporter.interfaceCount(), 1u);
  EXPECT_TRUE(exporter.hasObject(itf.oid));

  // Private references count only for the caller that took them; another
  // owner cannot release anything.
  std::vector<HRESULT> results;
  EXPECT_EQ(exporter.remAddRef({{itf.ipid, 0, 2}}, "alice", results), S_OK);
  EXPECT_EQ(exporter.remAddRef({{itf.ipid, 1, 0}}, "bob", results), E_ACCESSDENIED);
  EXPECT_EQ(exporter.remRelease({{itf.ipid, 5, 5}}, "bob"), E_INVALIDARG);
  EXPECT_EQ(exporter.remRelease({{itf.ipid, 1, 0}}, "alice"), S_OK);
  EXPECT_TRUE(exporter.hasObject(itf.oid));
  EXPECT_EQ(exporter.remRelease({{itf.ipid, 0, 2}}, "alice"), S_OK);
  EXPECT_FALSE(exporter.hasObject(itf.oid));
  EXPECT_EQ(object.held(), 0u);

  Ipid gone = itf.ipid;
  EXPECT_EQ(exporter.remAddRef({{gone, 1, 0}}, "alice", results), kCoEObjNotReg);
  EXPECT_EQ(results, (std::vector<HRESULT>{kCoEObjNotReg}));
}

TEST_F(ExporterTest, RemQueryInterfaceAnswersPerInterface) {
  FakeObject object;  // outlives the exporter's references
  Exporter exporter(settings(), clock());
  StdObjRef unknown;
  ASSERT_EQ(exporter.exportInterface(&object, IID_IUnknown, "alice", 1, unknown), S_OK);

  std::vector<RemQiResult> results;
  EXPECT_EQ(exporter.remQueryInterface(unknown.ipid, 3, {kIidSampleItf, kIidMissing}, "alice", results), S_OK);
  ASSERT_EQ(results.size(), 2u);
  EXPECT_EQ(results[0].result, S_OK);
  EXPECT_EQ(results[0].std.oid, unknown.oid);
  EXPECT_EQ(results[0].std.publicRefs, 3u);
  EXPECT_EQ(results[1].result, E_NOINTERFACE);
  const Ipid sampleIpid = results[0].std.ipid;
  EXPECT_EQ(exporter.remQueryInterface(unknown.ipid, 1, {kIidMissing}, "alice", results), E_NOINTERFACE);
  EXPECT_EQ(exporter.remQueryInterface(unknown.ipid, 1, {kIidSampleItf}, "bob", results), E_ACCESSDENIED);
  EXPECT_EQ(exporter.remQueryInterface(Ipid{9, 9, 9, {}}, 1, {kIidSampleItf}, "alice", results), kRpcEInvalidObject);

  std::vector<HRESULT> hrs;
  std::vector<std::unique_ptr<ndr::InterfacePointer>> interfaces;
  EXPECT_EQ(exporter.remQueryInterface2(unknown.ipid, {kIidSampleItf, kIidMissing}, "alice", hrs, interfaces), S_OK);
  EXPECT_EQ(hrs, (std::vector<HRESULT>{S_OK, E_NOINTERFACE}));
  ASSERT_TRUE(interfaces[0]);
  EXPECT_FALSE(interfaces[1]);
  auto ref = decodeObjRef(interfaces[0]->data);
  ASSERT_TRUE(ref);
  EXPECT_EQ(ref->iid, kIidSampleItf);
  EXPECT_EQ(ref->std.ipid, sampleIpid);  // the same interface, the same IPID
  EXPECT_EQ(ref->resolverAddress, bindingsFor({"127.0.0.1"}, 135));
}

TEST_F(ExporterTest, InterfacesInValuesAreExportedForTheirReceiver) {
  FakeObject object;
  Exporter exporter(settings(), clock());
  ExportingMarshaler marshaler(exporter, "alice");
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_UNKNOWN;
  value.punkVal = &object;
  std::vector<std::uint8_t> wire;
  ASSERT_FALSE(ndr::encode(wire, [&](auto& w) { w.param(value); }, &marshaler));
  ASSERT_EQ(exporter.objectCount(), 1u);
  Exporter::Target target;
  StdObjRef exported;
  ASSERT_EQ(exporter.exportInterface(&object, IID_IUnknown, "alice", 1, exported), S_OK);
  EXPECT_EQ(exporter.resolve(exported.ipid, "alice", target), S_OK);
  EXPECT_EQ(exporter.objectCount(), 1u);  // the same object, the same OID

  // A client cannot hand this server an interface.
  VARIANT back;
  VariantInit(&back);
  auto error = ndr::decode(wire, [&](auto& w) { w.param(back); }, nullptr, &marshaler);
  ASSERT_TRUE(error);
  VariantClear(&back);
}

// Objects live while a client pings them, for pingPeriod x missedPings
// after the last ping, whatever the two settings are.
TEST_F(ExporterTest, ObjectsOfClientsThatStopPingingAreReleased) {
  struct Case {
    std::chrono::seconds period;
    unsigned missed;
  };
  for (const Case c : {Case{120s, 3}, Case{10s, 2}, Case{1s, 1}}) {
    SCOPED_TRACE(c.period.count());
    ExporterSettings s = settings();
    s.pingPeriod = c.period;
    s.missedPings = c.missed;
    const auto window = c.period * c.missed;
    now = {};
    FakeObject pinged, neverPinged, twoSets, unpinged;
    Exporter exporter(s, clock());
    StdObjRef a, b, d, e;
    ASSERT_EQ(exporter.exportInterface(&pinged, IID_IUnknown, "alice", 1, a), S_OK);
    ASSERT_EQ(exporter.exportInterface(&neverPinged, IID_IUnknown, "alice", 1, b), S_OK);
    ASSERT_EQ(exporter.exportInterface(&twoSets, IID_IUnknown, "alice", 1, d), S_OK);
    ASSERT_EQ(exporter.exportInterface(&unpinged, IID_IUnknown, "alice", 1, e, true), S_OK);
    EXPECT_EQ(e.flags, kSorfNoPing);

    SetId first = 0, second = 0;
    ASSERT_EQ(exporter.complexPing(first, 1, {a.oid, d.oid}, {}, "alice"), 0u);
    ASSERT_EQ(exporter.complexPing(second, 1, {d.oid}, {}, "alice"), 0u);
    EXPECT_NE(first, 0u);

    // Pinging every period keeps the first set; the second stops at once.
    for (auto t = c.period; t <= window * 2; t += c.period) {
      now = std::chrono::steady_clock::time_point{} + t;
      EXPECT_EQ(exporter.simplePing(first, "alice"), 0u);
      exporter.expire();
    }
    EXPECT_TRUE(exporter.hasObject(a.oid));
    EXPECT_TRUE(exporter.hasObject(d.oid));  // still in the first set
    EXPECT_FALSE(exporter.hasObject(b.oid));
    EXPECT_EQ(neverPinged.held(), 0u);
    EXPECT_EQ(exporter.setCount(), 1u);
    EXPECT_EQ(exporter.simplePing(second, "alice"), kOrInvalidSet);

    // Exactly at the window the set still counts; just after, it is gone.
    const auto lastPing = now;
    now = lastPing + window;
    EXPECT_EQ(exporter.expire(), 0u);
    now = lastPing + window + 1s;
    EXPECT_EQ(exporter.expire(), 2u);
    EXPECT_FALSE(exporter.hasObject(a.oid));
    EXPECT_EQ(pinged.held(), 0u);
    EXPECT_EQ(twoSets.held(), 0u);
    EXPECT_TRUE(exporter.hasObject(e.oid));  // not pinged by design
  }
}

TEST_F(ExporterTest, ComplexPingRefusalsAndStaleCalls) {
  FakeObject mine, theirs;
  Exporter exporter(settings(), clock());
  StdObjRef a, b;
  ASSERT_EQ(exporter.exportInterface(&mine, IID_IUnknown, "alice", 1, a), S_OK);
  ASSERT_EQ(exporter.exportInterface(&theirs, IID_IUnknown, "bob", 1, b), S_OK);

  SetId set = 0;
  // Known OIDs are added even when others in the call are refused.
  EXPECT_EQ(exporter.complexPing(set, 1, {a.oid, b.oid, 12345}, {}, "alice"), kOrInvalidOid);
  ASSERT_NE(set, 0u);
  SetId missing = 777;
  EXPECT_EQ(exporter.complexPing(missing, 2, {}, {}, "alice"), kOrInvalidSet);
  EXPECT_EQ(exporter.complexPing(set, 2, {}, {a.oid}, "bob"), 5u);
  EXPECT_EQ(exporter.simplePing(set, "bob"), 5u);
  // A call with an old sequence number changes nothing.
  EXPECT_EQ(exporter.complexPing(set, 1, {}, {a.oid}, "alice"), 0u);
  now += 200s;
  EXPECT_EQ(exporter.complexPing(set, 2, {}, {}, "alice"), 0u);
  now += 161s;
  EXPECT_EQ(exporter.expire(), 1u);  // bob's object, in no set
  EXPECT_TRUE(exporter.hasObject(a.oid));
  // Sequence numbers wrap around.
  for (std::uint16_t sequence : {0x7000, 0xE000, 0xFFFF}) EXPECT_EQ(exporter.complexPing(set, sequence, {}, {}, "alice"), 0u);
  EXPECT_EQ(exporter.complexPing(set, 0x0001, {}, {a.oid}, "alice"), 0u);
  now += 361s;
  exporter.expire();
  EXPECT_FALSE(exporter.hasObject(a.oid));
  EXPECT_EQ(mine.held(), 0u);
}

}  // namespace
}  // namespace dcom
