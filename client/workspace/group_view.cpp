#include "workspace/group_view.h"

#include "com/allocator.h"
#include "com/interfaces/enumerators.h"
#include "format/wide_text.h"
#include "gui/image_list.h"
#include "gui/message_box.h"
#include "opc/opcda.h"
#include "resources/resource_ids.h"
#include "result/result_code_text.h"
#include "session/server_session.h"

namespace {

// The images of the tree: root, group, write-only, read-only and other item.
constexpr int kImageWidth = 16;
const QColor kImageMask(255, 0, 255);
// Group names are read from the server this many at a time.
constexpr ULONG kNamesPerCall = 10;

}  // namespace

void CGroupView::SetScope(int scope, CFunctionResultView* resultView, CServerSession* session) {
  scope_ = scope;
  resultView_ = resultView;
  session_ = session;
}

void CGroupView::OnInitialUpdate() {
  gui::ImageList images;
  images.Create(quillon::IDB_GROUP_TREE, kImageWidth, 0, kImageMask);
  GetTreeCtrl().SetImageList(images);
  ModifyStyle(0, gui::TVS_HASLINES | gui::TVS_HASBUTTONS | gui::TVS_LINESATROOT);
}

void CGroupView::OnDestroy() {
  ClearGroupTree();
  gui::TreeView::OnDestroy();
}

QString CGroupView::rootText() const {
  return scope_ == kPrivateScope ? QStringLiteral("Private Groups") : QStringLiteral("Public Groups");
}

void CGroupView::RefreshGroupTree() {
  IOPCServer* server = session_ != nullptr ? session_->GetServer() : nullptr;
  if (server == nullptr) return;
  ClearGroupTree();
  gui::TreeCtrl tree = GetTreeCtrl();
  gui::TreeItem root = tree.InsertItem(rootText(), kRootImage, kRootImage);

  IUnknown* enumerator = nullptr;
  const OPCENUMSCOPE scope = scope_ == kPrivateScope ? OPC_ENUM_PRIVATE : OPC_ENUM_PUBLIC;
  const HRESULT hr = server->CreateGroupEnumerator(scope, IID_IEnumString, &enumerator);
  if (hr == E_NOTIMPL) {
    gui::MessageBox(this, "Cannot enumerate groups. Function not implemented in Server.", QString(), gui::MB_OK);
  } else if (FAILED(hr)) {
    gui::MessageBox(this, "Cannot enumerate groups", QString(), gui::MB_OK);
  } else if (enumerator != nullptr) {
    AddGroups(static_cast<IEnumString*>(enumerator), root);
    enumerator->Release();
  }

  tree.SelectItem(root);
  tree.Expand(root, gui::TVE_EXPAND);
}

void CGroupView::AddGroups(IEnumString* groups, gui::TreeItem root) {
  if (groups->Reset() != S_OK) return;
  gui::TreeCtrl tree = GetTreeCtrl();
  IMalloc* allocator = session_->GetTaskAllocator();
  HRESULT hr = S_OK;
  do {
    LPOLESTR names[kNamesPerCall] = {};
    ULONG count = 0;
    hr = groups->Next(kNamesPerCall, names, &count);
    if (FAILED(hr)) {
      const std::string text = "Cannot enumerate groups :\n\n" + ResultCodeText(hr, session_);
      gui::MessageBox(this, QString::fromUtf8(text.c_str()), QString(), gui::MB_OK);
      count = 0;
    }
    // A server that claims more names than were asked for is not trusted
    // beyond the array it was given.
    if (count > kNamesPerCall) count = kNamesPerCall;
    for (ULONG i = 0; i < count; ++i) {
      tree.InsertItem(QString::fromUtf8(format::WideToText(names[i]).c_str()), kGroupImage, kGroupImage, root);
      if (allocator != nullptr) {
        allocator->Free(names[i]);
      } else {
        CoTaskMemFree(names[i]);
      }
    }
  } while (hr == S_OK);
}

void CGroupView::ClearGroupTree() {
  gui::TreeCtrl tree = GetTreeCtrl();
  if (tree.GetRootItem() == nullptr) return;
  tree.DeleteAllItems();
}
