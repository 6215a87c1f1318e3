#include "advise_fixture.h"

#include "com/allocator.h"

namespace quillon::testing {

GroupNode* AdviseTest::groupNode(const QString& group) {
  gui::TreeItem found = entry(privatePane(), group);
  return found != nullptr ? reinterpret_cast<GroupNode*>(privatePane()->GetTreeCtrl().GetItemData(found)) : nullptr;
}

ItemNode* AdviseTest::itemNode(const QString& item) {
  gui::TreeItem found = entry(privatePane(), item);
  return found != nullptr ? reinterpret_cast<ItemNode*>(privatePane()->GetTreeCtrl().GetItemData(found)) : nullptr;
}

OPCHANDLE AdviseTest::serverClientHandle(const QString& group, OPCHANDLE serverHandle) {
  GroupNode* node = groupNode(group);
  OPCITEMSTATE* states = nullptr;
  HRESULT* errors = nullptr;
  if (node == nullptr || node->syncIO->Read(OPC_DS_CACHE, 1, &serverHandle, &states, &errors) != S_OK) {
    ADD_FAILURE() << "cannot read the item";
    CoTaskMemFree(errors);
    return 0;
  }
  const OPCHANDLE handle = states[0].hClient;
  VariantClear(&states[0].vDataValue);
  CoTaskMemFree(states);
  CoTaskMemFree(errors);
  return handle;
}

void AdviseTest::setGroupState(const QString& group, std::optional<DWORD> updateRate, std::optional<bool> active,
                               std::optional<float> percentDeadband) {
  GroupNode* node = groupNode(group);
  ASSERT_NE(node, nullptr);
  DWORD rate = updateRate.value_or(0);
  DWORD revised = 0;
  BOOL isActive = active.value_or(true) ? TRUE : FALSE;
  FLOAT deadband = percentDeadband.value_or(0);
  ASSERT_TRUE(SUCCEEDED(node->groupStateMgt->SetState(updateRate ? &rate : nullptr, &revised,
                                                        active ? &isActive : nullptr, nullptr,
                                                        percentDeadband ? &deadband : nullptr, nullptr, nullptr)));
}

void AdviseTest::adviseData(const QString& item,
                            std::function<void(CAdviseDataDialog&, gui::testing::DialogDriver&)> script,
                            std::function<void()> before) {
  choose(privatePane(), item, "Advise Data", [script, before] {
    // Expectations queued here come first, in the order given.
    if (before) before();
    gui::testing::modalScript().expectDialog<CAdviseDataDialog>(script);
  });
}

}  // namespace quillon::testing
