#include "workspace_fixture.h"

#include <QTreeWidgetItem>
#include <ostream>

#include "com/allocator.h"
#include "resources/resource_ids.h"
#include "result/function_result_view.h"
#include "session/to_wide_text.h"

namespace quillon::testing {
namespace {

void addShape(gui::TreeCtrl tree, gui::TreeItem item, int depth, QStringList& lines) {
  for (; item != nullptr; item = tree.GetNextSiblingItem(item)) {
    int image = -1;
    int selected = -1;
    tree.GetItemImage(item, image, selected);
    lines << QString(depth * 2, ' ') + tree.GetItemText(item) + "#" + QString::number(image);
    addShape(tree, tree.GetChildItem(item), depth + 1, lines);
  }
}

gui::TreeItem find(gui::TreeCtrl tree, gui::TreeItem item, const QString& text) {
  for (; item != nullptr; item = tree.GetNextSiblingItem(item)) {
    if (tree.GetItemText(item) == text) return item;
    if (gui::TreeItem found = find(tree, tree.GetChildItem(item), text)) return found;
  }
  return nullptr;
}

}  // namespace

void PrintTo(const ResultPane& pane, std::ostream* out) {
  *out << "\n  function: " << pane.function.toStdString() << "\n  code: " << pane.returnCode.toStdString();
  for (const QString& line : pane.lines) *out << "\n  | " << line.toStdString();
}

void WorkspaceTest::TearDown() {
  gui::testing::modalScript().verifyAndReset();
  QuillonTest::TearDown();
}

OPCHANDLE WorkspaceTest::addGroup(const char* name, const std::vector<const char*>& itemIds) {
  IOPCServer* server = frame->session().GetServer();
  if (server == nullptr) {
    ADD_FAILURE() << "not connected";
    return 0;
  }
  std::u16string wideName;
  ToWideText(name, wideName);
  OPCHANDLE serverGroup = 0;
  DWORD revised = 0;
  IUnknown* group = nullptr;
  if (server->AddGroup(wideName.c_str(), TRUE, 1000, 7, nullptr, nullptr, 0, &serverGroup, &revised,
                       IID_IOPCItemMgt, &group) != S_OK) {
    ADD_FAILURE() << "AddGroup " << name;
    return 0;
  }
  auto* itemMgt = static_cast<IOPCItemMgt*>(group);
  std::vector<std::u16string> ids(itemIds.size());
  std::vector<OPCITEMDEF> definitions(itemIds.size());
  for (size_t i = 0; i < itemIds.size(); ++i) {
    ToWideText(itemIds[i], ids[i]);
    definitions[i] = OPCITEMDEF{const_cast<LPWSTR>(u""), ids[i].data(), TRUE, static_cast<OPCHANDLE>(i + 1), 0,
                                nullptr, VT_EMPTY, 0};
  }
  if (!definitions.empty()) {
    OPCITEMRESULT* results = nullptr;
    HRESULT* errors = nullptr;
    EXPECT_EQ(itemMgt->AddItems(static_cast<DWORD>(definitions.size()), definitions.data(), &results, &errors),
              S_OK);
    for (size_t i = 0; i < definitions.size(); ++i) CoTaskMemFree(results[i].pBlob);
    CoTaskMemFree(results);
    CoTaskMemFree(errors);
  }
  itemMgt->Release();
  privatePane()->RefreshGroupTree();
  return serverGroup;
}

gui::TreeItem WorkspaceTest::entry(CGroupView* pane, const QString& text) {
  gui::TreeCtrl tree = pane->GetTreeCtrl();
  gui::TreeItem found = find(tree, tree.GetRootItem(), text);
  if (found == nullptr) ADD_FAILURE() << "No entry " << text.toStdString();
  return found;
}

void WorkspaceTest::choose(CGroupView* pane, const QString& entryText, const QString& command,
                           std::function<void()> then) {
  gui::TreeItem item = entry(pane, entryText);
  if (item == nullptr) return;
  gui::testing::modalScript().expectPopupMenu([command, then](gui::testing::PopupMenuDriver& menu) {
    menu.choose(command);
    if (then) then();
  });
  gui::testing::rightClickTreeItem(item->treeWidget(), item);
}

QStringList WorkspaceTest::popupEntries(CGroupView* pane, const QString& entryText) {
  gui::TreeItem item = entry(pane, entryText);
  if (item == nullptr) return {};
  QStringList texts;
  bool opened = false;
  gui::testing::modalScript().expectPopupMenu([&](gui::testing::PopupMenuDriver& menu) {
    opened = true;
    for (const QString& text : menu.commandTexts()) texts << text;
  });
  gui::testing::rightClickTreeItem(item->treeWidget(), item);
  if (!opened) gui::testing::modalScript().reset();
  return texts;
}

ResultPane WorkspaceTest::resultPane() const {
  CFunctionResultView* view = frame->resultView();
  ResultPane pane{view->GetDlgItemText(IDC_FUNCTION_NAME), view->GetDlgItemText(IDC_RETURN_CODE), {}};
  gui::ListBox list = view->listBox(IDC_FUNCTION_RESULT);
  for (int i = 0; i < list.GetCount(); ++i) pane.lines << list.GetText(i);
  return pane;
}

QStringList WorkspaceTest::shape(CGroupView* pane) {
  QStringList lines;
  gui::TreeCtrl tree = pane->GetTreeCtrl();
  addShape(tree, tree.GetRootItem(), 0, lines);
  return lines;
}

}  // namespace quillon::testing
