// The OPC stubs against the sample server in process: what goes through the
// wire (requests encoded with the method descriptions, answered by the
// stubs through the exporter's object handler, decoded again) must equal
// what the in-process calls on the same server give, and objects a client
// leaves behind must go when its references expire.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

#include "com/allocator.h"
#include "com/object.h"
#include "com/ptr.h"
#include "dcom/exporter.h"
#include "dcom/objref.h"
#include "opc/opcda.h"
#include "opc/opcerror.h"
#include "opcwire/methods.h"
#include "opcwire/stubs.h"
#include "server_factory.h"
#include "variant.h"

namespace {

using namespace opcwire;

sample::ServerOptions testOptions() {
  sample::ServerOptions options;
  options.manyItemCount = 10;
  options.simulationPeriod = std::chrono::milliseconds(20);
  options.shutdownPollPeriod = std::chrono::milliseconds(20);
  options.randomSeed = 7;
  options.shutdownRequestFile = "/nonexistent/velmora-test-no-shutdown-file";
  return options;
}

// The NDR of a value: two values are the same when they travel the same.
std::vector<std::uint8_t> wireBytes(const VARIANT& value) {
  VARIANT copy;
  VariantInit(&copy);
  EXPECT_EQ(VariantCopy(&copy, &value), S_OK);
  std::vector<std::uint8_t> bytes;
  EXPECT_FALSE(ndr::encode(bytes, [&](auto& w) { w.param(copy); }));
  VariantClear(&copy);
  return bytes;
}

class OpcWireTest : public ::testing::Test {
 protected:
  void SetUp() override {
    baseline_ = com::Module::objectCount();
    exporter_ = std::make_shared<dcom::Exporter>(dcom::ExporterSettings{}, [this] { return now_; });
    stubs_ = makeStubs(exporter_);
    context_.security.authenticated = true;
    context_.security.level = rpc::AuthLevel::PacketPrivacy;
    context_.security.user = "opcuser";
    context_.security.domain = "TESTDOM";
    com::Ptr<IOPCServer> server;
    ASSERT_EQ(sample::createSampleServer(testOptions(), IID_IOPCServer, server.putVoid()), S_OK);
    dcom::StdObjRef std;
    ASSERT_EQ(exporter_->exportInterface(server.get(), IID_IOPCServer, dcom::callerOf(context_), 0, std), S_OK);
    serverIpid_ = std.ipid;
  }

  // One call through the stubs; encodeIn fills the request, decodeOut
  // reads the response.
  template <class EncodeIn, class DecodeOut>
  void call(const dcom::Ipid& ipid, const IID& iid, std::uint16_t opnum, EncodeIn&& encodeIn, DecodeOut&& decodeOut) {
    std::vector<std::uint8_t> request;
    ASSERT_FALSE(ndr::encode(request, encodeIn));
    rpc::CallContext context = context_;
    context.opnum = opnum;
    context.object = dcom::toUuid(ipid);
    auto stub = stubs_(iid);
    ASSERT_TRUE(stub);
    rpc::CallResult result = dcom::makeObjectHandler(exporter_, iid, stub)->call(context, request);
    ASSERT_EQ(result.faultStatus, 0u);
    ASSERT_FALSE(ndr::decode(result.stub, decodeOut));
  }

  static dcom::Ipid ipidOf(const Interface& pointer) {
    EXPECT_TRUE(pointer);
    if (!pointer) return {};
    auto objref = dcom::decodeObjRef(pointer->data);
    EXPECT_TRUE(objref);
    return objref ? objref->std.ipid : dcom::Ipid{};
  }

  // What RemQueryInterface gives a client: the IPID of another interface.
  dcom::Ipid query(const dcom::Ipid& ipid, const IID& iid) {
    std::vector<dcom::RemQiResult> results;
    EXPECT_EQ(exporter_->remQueryInterface(ipid, 1, {iid}, dcom::callerOf(context_), results), S_OK);
    return results.empty() ? dcom::Ipid{} : results[0].std.ipid;
  }

  template <class I>
  com::Ptr<I> local(const dcom::Ipid& ipid) {
    dcom::Exporter::Target target;
    EXPECT_EQ(exporter_->resolve(ipid, dcom::callerOf(context_), target), S_OK);
    com::Ptr<I> result;
    if (target.object) target.object->QueryInterface(com::iidOf<I>(), result.putVoid());
    return result;
  }

  dcom::Ipid addGroup(const char16_t* name, const IID& iid) {
    AddGroupIn in;
    in.name = name;
    in.active = TRUE;
    in.requestedUpdateRate = 1000;
    in.clientGroup = 1;
    in.iid = iid;
    AddGroupOut out;
    call(serverIpid_, IID_IOPCServer, static_cast<std::uint16_t>(ServerOp::addGroup),
         [&](auto& w) { walkIn(w, in); }, [&](auto& w) { walkOut(w, out); });
    EXPECT_EQ(out.result, S_OK);
    return ipidOf(out.group);
  }

  std::shared_ptr<dcom::Exporter> exporter_;
  dcom::ObjectStubs stubs_;
  rpc::CallContext context_;
  dcom::Ipid serverIpid_{};
  std::chrono::steady_clock::time_point now_ = std::chrono::steady_clock::now();
  long baseline_ = 0;
};

struct ItemCase {
  const char16_t* itemId;
  sample::Variant written;  // what a write sends (VT_EMPTY: not written)
};

TEST_F(OpcWireTest, ReadsAndWritesMatchTheInProcessCalls) {
  const dcom::Ipid group = addGroup(u"Compared", IID_IOPCItemMgt);
  const ItemCase cases[] = {
      {u"Static.I4", sample::makeI4(77)},
      {u"Static.R8", sample::makeR8(-2.5)},
      {u"Static.BSTR", sample::makeString(u"\u00fcber the wire")},
      {u"Static.BOOL", sample::makeBool(false)},
      {u"Static.CY", sample::makeCurrency(-50000)},
      {u"Static.DATE", sample::makeDate(40000.25)},
      {u"Static.DECIMAL", sample::makeDecimal(-98765, 2)},
      {u"Static.UI2", sample::makeString(u"12")},        // converted to the canonical type
      {u"Static.I2", sample::makeString(u"not a number")},  // refused conversion
      {u"Static.Arrays.StringArray", sample::makeStringArray({u"x", u"", u"z\u00e9"})},
      {u"Static.Arrays.Real4Array", sample::makeR4Array({-1.25f})},
      {u"Static.Arrays.VariantArray", sample::makeVariantArray({sample::makeI4(1), sample::makeString(u"two")})},
      {u"Access.ReadOnly", sample::makeI4(1)},   // bad rights on write
      {u"Access.WriteOnly", sample::makeI4(9)},  // bad rights on read
      {u"No.Such.Item", sample::makeI4(1)},      // unknown: its handle stays invalid
  };
  const std::uint32_t count = std::size(cases);

  ItemDefsIn add;
  add.count = count;
  for (std::uint32_t i = 0; i < count; ++i) {
    ItemDef def;
    def.itemId = std::make_unique<Text>(cases[i].itemId);
    def.accessPath = std::make_unique<Text>();
    def.active = TRUE;
    def.clientHandle = 100 + i;
    add.items.push_back(std::move(def));
  }
  ItemResultsOut added;
  added.count = count;
  call(group, IID_IOPCItemMgt, static_cast<std::uint16_t>(ItemMgtOp::addItems),
       [&](auto& w) { walkIn(w, add, false); }, [&](auto& w) { walkOut(w, added); });
  ASSERT_EQ(added.result, S_FALSE);
  ASSERT_EQ(added.errors.size(), count);
  EXPECT_EQ(added.errors.back(), OPC_E_UNKNOWNITEMID);
  std::vector<OPCHANDLE> handles;
  for (std::uint32_t i = 0; i < count; ++i) handles.push_back(added.errors[i] == S_OK ? added.results[i].serverHandle : 0xDEAD);

  auto sync = local<IOPCSyncIO>(group);
  ASSERT_TRUE(sync);
  const dcom::Ipid syncIpid = query(group, IID_IOPCSyncIO);

  // Reads, from the cache and from the device.
  for (std::uint16_t source : {std::uint16_t{OPC_DS_CACHE}, std::uint16_t{OPC_DS_DEVICE}}) {
    SCOPED_TRACE(source);
    SyncReadIn in;
    in.source = source;
    in.count = count;
    in.handles = handles;
    SyncReadOut out;
    out.count = count;
    call(syncIpid, IID_IOPCSyncIO, static_cast<std::uint16_t>(SyncIoOp::read), [&](auto& w) { walkIn(w, in); },
         [&](auto& w) { walkOut(w, out); });
    OPCITEMSTATE* states = nullptr;
    HRESULT* errors = nullptr;
    const HRESULT hr = sync->Read(static_cast<OPCDATASOURCE>(source), count, handles.data(), &states, &errors);
    EXPECT_EQ(out.result, hr);
    ASSERT_EQ(out.states.size(), count);
    for (std::uint32_t i = 0; i < count; ++i) {
      SCOPED_TRACE(std::string(cases[i].itemId, cases[i].itemId + std::char_traits<char16_t>::length(cases[i].itemId)));
      EXPECT_EQ(out.errors[i], errors[i]);
      EXPECT_EQ(out.states[i].hClient, states[i].hClient);
      EXPECT_EQ(out.states[i].wQuality, states[i].wQuality);
      if (source == OPC_DS_CACHE) {
        EXPECT_EQ(out.states[i].ftTimeStamp.dwLowDateTime, states[i].ftTimeStamp.dwLowDateTime);
        EXPECT_EQ(out.states[i].ftTimeStamp.dwHighDateTime, states[i].ftTimeStamp.dwHighDateTime);
      }
      EXPECT_EQ(wireBytes(out.states[i].vDataValue.value), wireBytes(states[i].vDataValue));
      VariantClear(&states[i].vDataValue);
    }
    CoTaskMemFree(states);
    CoTaskMemFree(errors);
  }

  // Writes: the same values through the wire and in process give the same
  // per-item errors and leave the same values behind.
  SyncWriteIn write;
  write.count = count;
  write.handles = handles;
  for (const ItemCase& c : cases) {
    Variant value;
    ASSERT_EQ(VariantCopy(&value.value, &c.written.get()), S_OK);
    write.values.push_back(std::move(value));
  }
  ErrorsOut written;
  written.count = count;
  call(syncIpid, IID_IOPCSyncIO, static_cast<std::uint16_t>(SyncIoOp::write), [&](auto& w) { walkIn(w, write); },
       [&](auto& w) { walkOut(w, written); });
  auto readBack = [&] {
    OPCITEMSTATE* states = nullptr;
    HRESULT* errors = nullptr;
    sync->Read(OPC_DS_DEVICE, count, handles.data(), &states, &errors);
    std::vector<std::vector<std::uint8_t>> values;
    for (std::uint32_t i = 0; i < count; ++i) {
      values.push_back(wireBytes(states[i].vDataValue));
      VariantClear(&states[i].vDataValue);
    }
    CoTaskMemFree(states);
    CoTaskMemFree(errors);
    return values;
  };
  const auto afterWire = readBack();
  std::vector<VARIANT> values(count);
  for (std::uint32_t i = 0; i < count; ++i) std::memcpy(&values[i], &cases[i].written.get(), sizeof(VARIANT));
  HRESULT* errors = nullptr;
  const HRESULT hr = sync->Write(count, handles.data(), values.data(), &errors);
  EXPECT_EQ(written.result, hr);
  for (std::uint32_t i = 0; i < count; ++i) EXPECT_EQ(written.errors[i], errors[i]) << i;
  EXPECT_EQ(written.errors[12], OPC_E_BADRIGHTS);
  EXPECT_EQ(written.errors[14], OPC_E_INVALIDHANDLE);
  EXPECT_NE(written.errors[8], S_OK);
  CoTaskMemFree(errors);
  EXPECT_EQ(afterWire, readBack());
}

TEST_F(OpcWireTest, ObjectsOfAClientThatStoppedPingingAreReleased) {
  const dcom::Ipid group = addGroup(u"Left behind", IID_IOPCGroupStateMgt);
  // An enumerator handed out too, so that every kind of object is covered.
  CreateGroupEnumeratorIn in;
  in.scope = OPC_ENUM_ALL;
  in.iid = IID_IEnumString;
  InterfaceOut out;
  call(serverIpid_, IID_IOPCServer, static_cast<std::uint16_t>(ServerOp::createGroupEnumerator),
       [&](auto& w) { walkIn(w, in); }, [&](auto& w) { walkOut(w, out); });
  ASSERT_EQ(out.result, S_OK);
  ipidOf(out.pointer);
  EXPECT_EQ(exporter_->objectCount(), 3u);
  EXPECT_GT(com::Module::objectCount(), baseline_);

  // Within the ping window nothing goes; after it, the server, its group
  // and the enumerator are all released.
  now_ += std::chrono::seconds(60);
  EXPECT_EQ(exporter_->expire(), 0u);
  now_ += exporter_->settings().pingPeriod * exporter_->settings().missedPings;
  EXPECT_EQ(exporter_->expire(), 3u);
  EXPECT_EQ(exporter_->objectCount(), 0u);
  dcom::Exporter::Target target;
  EXPECT_NE(exporter_->resolve(group, dcom::callerOf(context_), target), S_OK);
  EXPECT_EQ(com::Module::objectCount(), baseline_);
}

TEST_F(OpcWireTest, BadRequestsFaultInsteadOfReachingTheServer) {
  auto stub = stubs_(IID_IOPCServer);
  auto handler = dcom::makeObjectHandler(exporter_, IID_IOPCServer, stub);
  rpc::CallContext context = context_;
  context.object = dcom::toUuid(serverIpid_);
  // A truncated AddGroup, an opnum past the interface's last method, an
  // interface without a stub.
  AddGroupIn in;
  in.name = u"Truncated";
  std::vector<std::uint8_t> request;
  ASSERT_FALSE(ndr::encode(request, [&](auto& w) { walkIn(w, in); }));
  request.resize(request.size() - 10);
  context.opnum = static_cast<std::uint16_t>(ServerOp::addGroup);
  EXPECT_EQ(handler->call(context, request).faultStatus, rpc::kFaultBadStubData);
  context.opnum = 9;
  EXPECT_EQ(handler->call(context, request).faultStatus, rpc::kFaultOpRangeError);
  EXPECT_TRUE(stubs_(IID_IEnumString));
  EXPECT_FALSE(stubs_(IID_IOPCShutdown));
}

}  // namespace
