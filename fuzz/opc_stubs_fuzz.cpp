// The OPC stubs on request stubs from anyone: the first byte picks one of
// the exported interfaces (the sample server's and one group's), the second
// the opnum, the rest is the request stub. Whatever arrives must decode,
// fault or be answered without a crash, leak or sanitizer report.
// IPersistFile is left out: its Save writes wherever the request says.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "com/objbase.h"
#include "dcom/exporter.h"
#include "opc/opcda.h"
#include "opcwire/stubs.h"
#include "server_factory.h"

namespace {

struct Target {
  IID iid;
  dcom::Ipid ipid;
  std::shared_ptr<rpc::InterfaceHandler> handler;
};

struct Host {
  std::shared_ptr<dcom::Exporter> exporter = std::make_shared<dcom::Exporter>(dcom::ExporterSettings{});
  dcom::ObjectStubs stubs = opcwire::makeStubs(exporter);
  rpc::CallContext context;
  std::vector<Target> targets;

  Host() {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    context.security.authenticated = true;
    context.security.level = rpc::AuthLevel::PacketPrivacy;
    context.security.user = "fuzz";
    sample::ServerOptions options;
    options.manyItemCount = 10;
    options.shutdownRequestFile = "/nonexistent/velmora-fuzz-no-shutdown-file";
    IUnknown* server = nullptr;
    sample::createSampleServer(options, IID_IOPCServer, reinterpret_cast<void**>(&server));
    IUnknown* group = nullptr;
    OPCHANDLE handle = 0;
    DWORD rate = 0;
    static_cast<IOPCServer*>(server)->AddGroup(u"Fuzzed", TRUE, 1000, 1, nullptr, nullptr, 0, &handle, &rate,
                                                IID_IOPCItemMgt, &group);
    OPCITEMDEF def{nullptr, const_cast<LPWSTR>(u"Static.I4"), TRUE, 1, 0, nullptr, VT_EMPTY, 0};
    OPCITEMRESULT* results = nullptr;
    HRESULT* errors = nullptr;
    static_cast<IOPCItemMgt*>(group)->AddItems(1, &def, &results, &errors);
    CoTaskMemFree(results);
    CoTaskMemFree(errors);
    for (const IID& iid : {IID_IOPCServer, IID_IOPCCommon, IID_IOPCServerPublicGroups,
                           IID_IOPCBrowseServerAddressSpace, IID_IOPCItemProperties, IID_IConnectionPointContainer}) {
      add(server, iid);
    }
    for (const IID& iid : {IID_IOPCItemMgt, IID_IOPCGroupStateMgt, IID_IOPCPublicGroupStateMgt, IID_IOPCSyncIO,
                           IID_IOPCAsyncIO}) {
      add(group, iid);
    }
    group->Release();
    server->Release();
  }

  void add(IUnknown* object, const IID& iid) {
    dcom::StdObjRef std;
    if (FAILED(exporter->exportInterface(object, iid, dcom::callerOf(context), 1u << 30, std, true))) return;
    targets.push_back({iid, std.ipid, dcom::makeObjectHandler(exporter, iid, stubs(iid))});
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Host host;
  if (size < 2 || host.targets.empty()) return 0;
  const Target& target = host.targets[data[0] % host.targets.size()];
  rpc::CallContext context = host.context;
  context.opnum = static_cast<std::uint16_t>(3 + data[1] % 8);
  context.object = dcom::toUuid(target.ipid);
  target.handler->call(context, std::span<const std::uint8_t>(data + 2, size - 2));
  return 0;
}
