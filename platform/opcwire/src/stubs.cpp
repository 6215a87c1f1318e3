// The OPC interfaces' stubs: each opnum decodes its request with the
// method's description, calls the object in process, turns what the object
// hands back (task-allocator blocks, interfaces) into the reply and frees it.
//
// This file holds the table of the interfaces served and the stub that
// dispatches a call by opnum; each interface's methods live in a file of
// their own (see method_tables.h).

#include "opcwire/stubs.h"

#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "com/interfaces/connection_points.h"
#include "com/interfaces/enum_guid.h"
#include "com/interfaces/enumerators.h"
#include "com/interfaces/persist.h"
#include "method_tables.h"
#include "opc/common.h"
#include "opc/group.h"
#include "opc/server.h"
#include "opc/server_list.h"

namespace opcwire {
namespace {

using namespace detail;

class TableStub : public dcom::ObjectStub {
 public:
  TableStub(std::shared_ptr<dcom::Exporter> exporter, std::map<std::uint16_t, Method> methods)
      : exporter_(std::move(exporter)), methods_(std::move(methods)) {}

  rpc::CallResult call(IUnknown* object, const rpc::CallContext& context,
                       std::span<const std::uint8_t> stub) override {
    auto method = methods_.find(context.opnum);
    if (method == methods_.end()) return rpc::CallResult::fault(rpc::kFaultOpRangeError);
    Call call{object, stub, *exporter_, dcom::callerOf(context)};
    return method->second(call);
  }

 private:
  const std::shared_ptr<dcom::Exporter> exporter_;
  const std::map<std::uint16_t, Method> methods_;
};

struct Entry {
  IID iid;
  std::map<std::uint16_t, Method> (*methods)();
};

const std::vector<Entry>& entries() {
  static const std::vector<Entry> table = {
      {IID_IOPCServer, serverMethods},
      {IID_IOPCCommon, commonMethods},
      {IID_IOPCServerPublicGroups, publicGroupsMethods},
      {IID_IOPCBrowseServerAddressSpace, browseMethods},
      {IID_IOPCItemProperties, itemPropertiesMethods},
      {IID_IPersistFile, persistFileMethods},
      {IID_IOPCGroupStateMgt, groupStateMethods},
      {IID_IOPCPublicGroupStateMgt, publicGroupStateMethods},
      {IID_IOPCItemMgt, itemMgtMethods},
      {IID_IOPCSyncIO, syncIoMethods},
      {IID_IOPCAsyncIO, asyncIoMethods},
      {IID_IEnumOPCItemAttributes, itemAttributesEnumMethods},
      {IID_IEnumString, enumStringMethods},
      {IID_IEnumUnknown, enumUnknownMethods},
      {IID_IEnumConnectionPoints, enumConnectionPointsMethods},
      {IID_IEnumGUID, enumGuidMethods},
      {IID_IConnectionPointContainer, containerMethods},
      {IID_IConnectionPoint, connectionPointMethods},
      {IID_IOPCServerList, serverListMethods},
      {IID_IOPCServerList2, serverList2Methods},
      {IID_IOPCEnumGUID, opcEnumGuidMethods},
  };
  return table;
}

}  // namespace

dcom::ObjectStubs makeStubs(std::shared_ptr<dcom::Exporter> exporter) {
  auto stubs = std::make_shared<std::vector<std::pair<IID, std::shared_ptr<dcom::ObjectStub>>>>();
  for (const Entry& entry : entries()) {
    stubs->emplace_back(entry.iid, std::make_shared<TableStub>(exporter, entry.methods()));
  }
  return [stubs](const IID& iid) -> std::shared_ptr<dcom::ObjectStub> {
    for (const auto& [served, stub] : *stubs) {
      if (IsEqualIID(served, iid)) return stub;
    }
    return nullptr;
  };
}

const std::vector<IID>& servedInterfaces() {
  static const std::vector<IID> iids = [] {
    std::vector<IID> result;
    for (const Entry& entry : entries()) result.push_back(entry.iid);
    return result;
  }();
  return iids;
}

}  // namespace opcwire
