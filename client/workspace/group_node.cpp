#include "workspace/group_node.h"

#include "com/oleauto.h"
#include "session/server_session.h"
#include "workspace/group_state.h"
#include "workspace/task_memory.h"

namespace {

template <class I>
I* query(IUnknown* object, REFIID iid) {
  void* pointer = nullptr;
  if (FAILED(object->QueryInterface(iid, &pointer))) return nullptr;
  return static_cast<I*>(pointer);
}

template <class I>
void release(I*& pointer) {
  if (pointer != nullptr) {
    pointer->Release();
    pointer = nullptr;
  }
}

}  // namespace

GroupNode* BuildGroupNode(IUnknown* group, const CServerSession& session) {
  auto* node = new GroupNode;
  node->groupStateMgt = query<IOPCGroupStateMgt>(group, IID_IOPCGroupStateMgt);
  node->publicGroupStateMgt = query<IOPCPublicGroupStateMgt>(group, IID_IOPCPublicGroupStateMgt);
  node->syncIO = query<IOPCSyncIO>(group, IID_IOPCSyncIO);
  node->asyncIO = query<IOPCAsyncIO>(group, IID_IOPCAsyncIO);
  node->dataObject = query<IDataObject>(group, IID_IDataObject);
  node->itemMgt = query<IOPCItemMgt>(group, IID_IOPCItemMgt);

  if (node->itemMgt != nullptr) {
    IUnknown* enumerator = nullptr;
    if (SUCCEEDED(node->itemMgt->CreateEnumerator(IID_IEnumOPCItemAttributes, &enumerator)) &&
        enumerator != nullptr) {
      node->itemAttributes = static_cast<IEnumOPCItemAttributes*>(enumerator);
    }
  }

  if (node->groupStateMgt != nullptr) {
    GroupState state;
    if (SUCCEEDED(ReadGroupState(node->groupStateMgt, session, state))) {
      node->serverGroup = state.serverGroup;
    }
  }
  return node;
}

void FreeGroupNode(GroupNode* node) {
  if (node == nullptr) return;
  release(node->groupStateMgt);
  release(node->publicGroupStateMgt);
  release(node->itemAttributes);
  release(node->syncIO);
  release(node->asyncIO);
  release(node->itemMgt);
  release(node->dataObject);
  delete node;
}

void FreeItemNode(ItemNode* node, const CServerSession& session) {
  if (node == nullptr) return;
  FreeTaskMemory(session, node->szItemID);
  FreeTaskMemory(session, node->szAccessPath);
  FreeTaskMemory(session, node->pBlob);
  VariantClear(&node->vEUInfo);
  FreeTaskMemory(session, node);
}
