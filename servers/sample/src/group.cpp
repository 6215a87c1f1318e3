#include "group.h"

#include "server_core.h"

namespace sample {

Group::Group(std::shared_ptr<ServerCore> core, std::shared_ptr<GroupState> state)
    : core_(std::move(core)), state_(std::move(state)) {}

HRESULT Group::QueryInterface(REFIID riid, void** object) {
  struct Optional {
    const IID& iid;
    uint32_t bit;
  };
  static const Optional kOptional[] = {
      {IID_IOPCGroupStateMgt, kGroupStateMgt}, {IID_IOPCPublicGroupStateMgt, kGroupPublicStateMgt},
      {IID_IOPCSyncIO, kGroupSyncIO},          {IID_IOPCAsyncIO, kGroupAsyncIO},
      {IID_IOPCItemMgt, kGroupItemMgt},        {IID_IDataObject, kGroupDataObject},
      {IID_IOPCAsyncIO2, kGroupAsyncIO2},      {IID_IConnectionPointContainer, kGroupConnectionPoints},
  };
  for (const auto& optional : kOptional) {
    if ((core_->options.omittedGroupInterfaces & optional.bit) != 0 && IsEqualIID(riid, optional.iid)) {
      if (object != nullptr) *object = nullptr;
      return E_NOINTERFACE;
    }
  }
  return Object::QueryInterface(riid, object);
}

}  // namespace sample
