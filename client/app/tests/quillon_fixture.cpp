#include "quillon_fixture.h"

#include <QPixmap>
#include <QStatusBar>
#include <QTreeWidgetItem>

#include "resources/resource_ids.h"
#include "testing/scratch_registry.h"
#include "workspace/group_view.h"

namespace quillon::testing {
namespace {

const auto* const kRegistry = ::testing::AddGlobalTestEnvironment(new ScratchRegistry);

void addEntries(gui::TreeCtrl tree, gui::TreeItem item, QStringList& texts) {
  for (; item != nullptr; item = tree.GetNextSiblingItem(item)) {
    texts << tree.GetItemText(item);
    addEntries(tree, tree.GetChildItem(item), texts);
  }
}

}  // namespace

void QuillonTest::SetUp() { ASSERT_TRUE(ScratchRegistry::hasSampleServer()); }

void QuillonTest::TearDown() {
  app.destroyMainWindow();
  gui::testing::pumpEvents();
}

CMainWindow& QuillonTest::start(std::function<void(gui::testing::DialogDriver&)> script) {
  gui::testing::modalScript().expectDialog(IDD_CONNECT, std::move(script));
  EXPECT_TRUE(app.InitInstance());
  frame = app.mainFrame();
  gui::testing::pumpEvents();
  return *frame;
}

CMainWindow& QuillonTest::startConnected(const char* progId) {
  start(answer(progId));
  EXPECT_NE(frame->session().GetServer(), nullptr) << progId;
  return *frame;
}

void QuillonTest::connect(std::function<void(gui::testing::DialogDriver&)> script) {
  gui::testing::modalScript().expectDialog(IDD_CONNECT, std::move(script));
  EXPECT_TRUE(gui::testing::triggerAction(*frame, ID_CONNECT));
}

std::function<void(gui::testing::DialogDriver&)> QuillonTest::answer(const char* progId, const char* machine) {
  return [progId, machine](gui::testing::DialogDriver& d) {
    d.setText(IDC_SERVER_NAME, progId);
    d.setText(IDC_MACHINE_NAME, machine);
    d.press(gui::IDOK);
  };
}

QStringList QuillonTest::entries(CGroupView* pane) {
  QStringList texts;
  gui::TreeCtrl tree = pane->GetTreeCtrl();
  addEntries(tree, tree.GetRootItem(), texts);
  return texts;
}

QImage QuillonTest::statePaneImage() {
  gui::testing::pumpEvents();
  CServerStatusBar& bar = frame->serverStatusBar();
  return bar.statusBar()->grab(bar.GetItemRect(bar.serverStatePane())).toImage();
}

}  // namespace quillon::testing
