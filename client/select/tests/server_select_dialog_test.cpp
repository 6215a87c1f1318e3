// The server selection dialog on the offscreen platform: its two sources
// and their filters, the machine of a chosen row, the network read once at
// the first expansion, the remote node and its pop-up, machine nodes with
// their server list objects or error nodes (the network and the machines
// asked under the wait cursor), and the release of every server list
// object with the tree.
//
// The network is scripted; other machines are reached through a scripted
// remote activator, which counts what it is asked and hands out test
// server lists or failures.

#include <gtest/gtest.h>

#include <QTreeWidget>
#include <QTreeWidgetItem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "com/allocator.h"
#include "com/enumerator.h"
#include "com/object.h"
#include "com/remote_activator.h"
#include "gui/profile_store.h"
#include "gui/testing/testing.h"
#include "gui/wait_cursor.h"
#include "resources/quillon_resources.h"
#include "resources/resource_ids.h"
#include "select/server_select_dialog.h"
#include "testing/scratch_registry.h"
#include "win/computer.h"
#include "win/message.h"
#include "win/testing/scripted_network.h"
#include "win/winerror.h"

namespace {

using namespace quillon;
using gui::testing::DialogDriver;
using gui::testing::modalScript;
using gui::testing::PopupMenuDriver;
using quillon::testing::ScratchRegistry;

const auto* const kRegistry = ::testing::AddGlobalTestEnvironment(new ScratchRegistry);

// The sample server's ProgIDs that these tests rely on; the build may
// register further variants, listed in between.
const QStringList kSampleProgIds = {
    "Pelkor.DataSample",
    "Pelkor.DataSample.FailingStatus",
    "Pelkor.DataSample.FixedClientHandles",
    "Pelkor.DataSample.LimitedGroups",
    "Pelkor.DataSample.Minimal",
    "Pelkor.DataSample.NoBrowsePosition",
    "Pelkor.DataSample.NoGroupEnumerator",
    "Pelkor.DataSample.StatelessGroups",
};

// A server list on another machine: the classes it lists, and a class
// whose details it cannot give.
class TestServerList : public com::Object<TestServerList, IOPCServerList> {
 public:
  struct Entry {
    CLSID clsid;
    std::u16string progId;
    std::u16string description;
    bool detailsFail = false;
  };
  std::vector<Entry> entries;
  HRESULT enumerationResult = S_OK;

  HRESULT STDMETHODCALLTYPE EnumClassesOfCategories(ULONG, CATID[], ULONG, CATID[], IEnumGUID** classes) override {
    if (FAILED(enumerationResult)) return enumerationResult;
    std::vector<GUID> ids;
    for (const Entry& entry : entries) ids.push_back(entry.clsid);
    return com::EnumGUID::create(std::move(ids), classes);
  }
  HRESULT STDMETHODCALLTYPE GetClassDetails(REFCLSID clsid, LPOLESTR* progId, LPOLESTR* userType) override {
    for (const Entry& entry : entries) {
      if (entry.clsid != clsid) continue;
      if (entry.detailsFail) return E_FAIL;
      *progId = copy(entry.progId);
      *userType = copy(entry.description);
      return S_OK;
    }
    return REGDB_E_CLASSNOTREG;
  }
  HRESULT STDMETHODCALLTYPE CLSIDFromProgID(LPCOLESTR, LPCLSID) override { return E_NOTIMPL; }

 private:
  static LPOLESTR copy(const std::u16string& text) {
    auto* out = static_cast<LPOLESTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(OLECHAR)));
    std::copy(text.c_str(), text.c_str() + text.size() + 1, out);
    return out;
  }
};

// Other machines: each answers with a server list or a failure; unknown
// ones cannot be reached.
class ScriptedActivator : public com::RemoteActivator {
 public:
  std::map<std::u16string, com::Ptr<TestServerList>> lists;
  std::map<std::u16string, HRESULT> failures;
  std::vector<std::u16string> asked;
  std::vector<int> waitCursors;  // wait cursors alive at each request

  HRESULT createInstance(REFCLSID, IUnknown*, DWORD, COSERVERINFO* server, DWORD count, MULTI_QI* results) override {
    asked.push_back(server->pwszName);
    waitCursors.push_back(gui::WaitCursor::activeCount());
    HRESULT hr = HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE);
    if (const auto failure = failures.find(server->pwszName); failure != failures.end()) hr = failure->second;
    if (const auto list = lists.find(server->pwszName); list != lists.end()) {
      results[0].hr = list->second->QueryInterface(*results[0].pIID, reinterpret_cast<void**>(&results[0].pItf));
      return results[0].hr;
    }
    for (DWORD k = 0; k < count; ++k) results[k].hr = hr;
    return hr;
  }
  HRESULT getClassObject(REFCLSID, DWORD, COSERVERINFO*, REFIID, void**) override {
    return HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE);
  }
  int timesAsked(const std::u16string& machine) const {
    return static_cast<int>(std::count(asked.begin(), asked.end(), machine));
  }
};

// The scripted network, noting whether the wait cursor shows while it is
// read.
class WatchedNetwork : public win::testing::ScriptedNetwork {
 public:
  DWORD enumerate(const NETRESOURCEA* parent, std::vector<win::NetworkEntry>& entries) override {
    waitCursors.push_back(gui::WaitCursor::activeCount());
    return ScriptedNetwork::enumerate(parent, entries);
  }
  std::vector<int> waitCursors;
};

QString systemText(HRESULT code) {
  char text[512] = {};
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, static_cast<DWORD>(code), 0,
                 text, sizeof text, nullptr);
  return QString::fromLocal8Bit(text);
}

QString thisComputer() {
  char computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof computer;
  EXPECT_TRUE(GetComputerNameA(computer, &size));
  return QStringLiteral("\\\\") + computer;
}

class ServerSelectDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ScratchRegistry::hasSampleServer() && ScratchRegistry::hasServerList());
    RegisterQuillonResources();
    network->add("", win::testing::networkEntry("Plant Network"));
    network->add("Plant Network", win::testing::domainEntry("PLANT"));
    network->add("PLANT", win::testing::serverEntry("\\\\PLC-1"));
    network->add("PLANT", win::testing::serverEntry("\\\\PLC-2"));
    network->add("PLANT", win::testing::genericEntry("Printers", true));
    network->add("Printers", win::testing::shareEntry("\\\\PLC-2\\Labels"));
    previousActivator = com::setRemoteActivator(activator);
  }
  void TearDown() override {
    com::setRemoteActivator(previousActivator);
    activator->lists.clear();
    // Every server list object (and enumerator) of this test's own code has
    // been released with the tree.
    EXPECT_EQ(com::Module::objectCount(), 0);
  }

  // Opens the dialog with the user's script; returns the dialog's result.
  INT_PTR run(std::function<void(CServerSelectDialog&, DialogDriver&)> script) {
    modalScript().expectDialog<CServerSelectDialog>(std::move(script));
    dialog.reset();
    dialog = std::make_unique<CServerSelectDialog>();
    const INT_PTR result = dialog->DoModal();
    return result;
  }

  static QStringList progIds(DialogDriver& d) {
    auto* list = qobject_cast<QTreeWidget*>(d.control(IDC_SERVER_LIST));
    QStringList ids;
    for (int i = 0; i < list->topLevelItemCount(); ++i) ids << list->topLevelItem(i)->text(1);
    return ids;
  }
  static bool containsAll(const QStringList& listed, const QStringList& expected) {
    for (const QString& progId : expected) {
      if (!listed.contains(progId)) {
        ADD_FAILURE() << progId.toStdString() << " is not listed";
        return false;
      }
    }
    return true;
  }
  static QStringList childTexts(DialogDriver& d, const QStringList& path) {
    QStringList texts;
    if (QTreeWidgetItem* node = d.treeItem(IDC_MACHINE_TREE, path)) {
      for (int i = 0; i < node->childCount(); ++i) texts << node->child(i)->text(0);
    }
    return texts;
  }
  static int kind(CServerSelectDialog& dialog, DialogDriver& d, const QStringList& path) {
    return dialog.machineTree().NodeKind(d.treeItem(IDC_MACHINE_TREE, path));
  }
  static void rightClickNetwork(DialogDriver& d) {
    QTreeWidgetItem* network = d.treeItem(IDC_MACHINE_TREE, {"Network"});
    gui::testing::rightClickTreeItem(network->treeWidget(), network);
  }
  // The pop-up's entries and whether each is enabled, then chooses `choice`
  // (0: nothing).
  static void expectPopup(bool addEnabled, bool removeEnabled, UINT choice) {
    modalScript().expectPopupMenu([=](PopupMenuDriver& menu) {
      const auto entries = menu.entries();
      ASSERT_EQ(entries.size(), 2u);
      EXPECT_EQ(entries[0].text, "Add Remote Node");
      EXPECT_EQ(entries[0].enabled, addEnabled);
      EXPECT_EQ(entries[1].text, "Remove Remote Node");
      EXPECT_EQ(entries[1].enabled, removeEnabled);
      if (choice != 0) menu.choose(choice);
    });
  }
  static void expectRemoteNodeDialog(const QString& address, UINT button = gui::IDOK) {
    modalScript().expectDialog(IDD_REMOTE_NODE, [=](DialogDriver& node) {
      EXPECT_EQ(node.caption(), "Remote Node Properties");
      node.setText(IDC_REMOTE_NODE_ADDRESS, address);
      node.press(button);
    });
  }

  std::shared_ptr<WatchedNetwork> network = std::make_shared<WatchedNetwork>();
  win::testing::ScopedNetworkProvider installedNetwork{network};
  std::shared_ptr<ScriptedActivator> activator = std::make_shared<ScriptedActivator>();
  std::shared_ptr<com::RemoteActivator> previousActivator;
  std::unique_ptr<CServerSelectDialog> dialog;
};

TEST_F(ServerSelectDialogTest, StartsOnThisComputersServerListWithDataAccess20Servers) {
  run([&](CServerSelectDialog& dialog, DialogDriver& d) {
    EXPECT_EQ(d.caption(), "Select an OPC Server");
    EXPECT_EQ(childTexts(d, {"This Computer"}), (QStringList{"Registry", "OPC Browser"}));
    EXPECT_EQ(kind(dialog, d, {"This Computer"}), kThisComputerNode);
    EXPECT_EQ(kind(dialog, d, {"This Computer", "Registry"}), kRegistryNode);
    EXPECT_EQ(kind(dialog, d, {"This Computer", "OPC Browser"}), kServerListNode);
    EXPECT_TRUE(d.treeItem(IDC_MACHINE_TREE, {"This Computer", "OPC Browser"})->isSelected());
    EXPECT_EQ(childTexts(d, {"Network"}), QStringList{"There are no other machines !"});
    EXPECT_EQ(kind(dialog, d, {"Network", "There are no other machines !"}), kPlaceholderNode);
    EXPECT_TRUE(network->asked().empty());  // the network is read only when opened

    EXPECT_FALSE(d.isChecked(IDC_DA10_FILTER));
    EXPECT_TRUE(d.isChecked(IDC_DA20_FILTER));
    EXPECT_TRUE(d.isEnabled(IDC_DA20_FILTER));
    EXPECT_FALSE(d.isEnabled(gui::IDOK));
    const QStringList listed = progIds(d);
    for (const QString& progId : kSampleProgIds) {
      EXPECT_TRUE(listed.contains(progId) || listed.contains(progId + ".1")) << progId.toStdString();
    }
    auto* list = qobject_cast<QTreeWidget*>(d.control(IDC_SERVER_LIST));
    EXPECT_EQ(list->headerItem()->text(0), "Description" + QString(45, ' '));
    EXPECT_EQ(list->headerItem()->text(1), "ProgID" + QString(42, ' '));
    d.press(gui::IDCANCEL);
  });
}

TEST_F(ServerSelectDialogTest, TypeBoxesNarrowBothSources) {
  run([&](CServerSelectDialog&, DialogDriver& d) {
    // Neither box in "OPC Browser" mode: nothing listed, nothing to choose.
    d.selectRow(IDC_SERVER_LIST, 0);
    EXPECT_TRUE(d.isEnabled(gui::IDOK));
    d.check(IDC_DA20_FILTER, false);
    EXPECT_TRUE(progIds(d).isEmpty());
    EXPECT_FALSE(d.isEnabled(gui::IDOK));

    // The registry knows only the Data Access 1.0 mark: 2.0 is greyed and the
    // list stays empty until 1.0 is checked.
    d.check(IDC_DA20_FILTER, true);
    d.selectTreeItem(IDC_MACHINE_TREE, {"This Computer", "Registry"});
    EXPECT_FALSE(d.isEnabled(IDC_DA20_FILTER));
    EXPECT_TRUE(progIds(d).isEmpty());
    d.check(IDC_DA10_FILTER);
    EXPECT_TRUE(containsAll(progIds(d), kSampleProgIds));

    d.selectTreeItem(IDC_MACHINE_TREE, {"This Computer", "OPC Browser"});
    EXPECT_TRUE(d.isEnabled(IDC_DA20_FILTER));
    // Other nodes list nothing.
    d.selectTreeItem(IDC_MACHINE_TREE, {"Network"});
    EXPECT_TRUE(progIds(d).isEmpty());
    d.press(gui::IDCANCEL);
  });
}

TEST_F(ServerSelectDialogTest, ProgIdFilter) {
  struct Case {
    const char* filter;
    bool caseSensitive;
    QStringList listed;
  };
  const Case cases[] = {
      {"*Minimal*", false, {"Pelkor.DataSample.Minimal"}},
      {"*minimal*", false, {"Pelkor.DataSample.Minimal"}},
      {"*minimal*", true, {}},
      {"*Sample", false, {"Pelkor.DataSample"}},
      {"Pelkor.DataSample.#", false, {}},  // a digit where the ProgID has a letter
      {"Pelkor.Data", false, {}},          // the pattern ends before the ProgID
      {"[!a-p]*", false, {}},              // "P" lies in the negated range
      {"Pelkor.DataSample.[l-m]*", false, {"Pelkor.DataSample.LimitedGroups", "Pelkor.DataSample.Minimal"}},
  };
  run([&](CServerSelectDialog&, DialogDriver& d) {
    d.selectTreeItem(IDC_MACHINE_TREE, {"This Computer", "Registry"});
    d.check(IDC_DA10_FILTER);
    EXPECT_TRUE(containsAll(progIds(d), kSampleProgIds));  // no filter: every server
    for (const Case& c : cases) {
      SCOPED_TRACE(c.filter);
      d.check(IDC_CASE_SENSITIVE, c.caseSensitive);
      d.setText(IDC_PROGID_FILTER, c.filter);
      EXPECT_EQ(progIds(d), c.listed);
    }
    // The server list's rows are filtered the same way.
    d.check(IDC_CASE_SENSITIVE, false);
    d.setText(IDC_PROGID_FILTER, "*minimal*");
    d.selectTreeItem(IDC_MACHINE_TREE, {"This Computer", "OPC Browser"});
    ASSERT_EQ(progIds(d).size(), 1);
    EXPECT_TRUE(progIds(d)[0].startsWith("Pelkor.DataSample.Minimal"));
    d.press(gui::IDCANCEL);
  });
}

TEST_F(ServerSelectDialogTest, ServerChosenUnderThisComputerNamesTheComputer) {
  for (const QString source : {"Registry", "OPC Browser"}) {
    SCOPED_TRACE(source.toStdString());
    QString expected;
    EXPECT_EQ(run([&](CServerSelectDialog&, DialogDriver& d) {
                d.selectTreeItem(IDC_MACHINE_TREE, {"This Computer", source});
                d.check(IDC_DA10_FILTER);
                d.setText(IDC_PROGID_FILTER, "*.Minimal*");
                ASSERT_EQ(progIds(d).size(), 1);
                expected = progIds(d)[0];
                d.doubleClickRow(IDC_SERVER_LIST, 0);
              }),
              gui::IDOK);
    EXPECT_EQ(dialog->progId(), expected);
    EXPECT_EQ(dialog->machine(), thisComputer());
  }
}

TEST_F(ServerSelectDialogTest, NetworkIsReadAtItsFirstExpansionOnly) {
  run([&](CServerSelectDialog& dialog, DialogDriver& d) {
    d.expandTreeItem(IDC_MACHINE_TREE, {"Network"});
    EXPECT_EQ(childTexts(d, {"Network"}), QStringList{"Plant Network"});
    EXPECT_EQ(kind(dialog, d, {"Network", "Plant Network"}), kNetworkObjectNode);
    EXPECT_EQ(kind(dialog, d, {"Network", "Plant Network", "PLANT"}), kDomainNode);
    const QStringList domain = {"Network", "Plant Network", "PLANT"};
    EXPECT_EQ(childTexts(d, domain), (QStringList{"\\\\PLC-1", "\\\\PLC-2", "Printers"}));
    EXPECT_EQ(kind(dialog, d, domain + QStringList{"\\\\PLC-1"}), kMachineNode);
    EXPECT_EQ(childTexts(d, domain + QStringList{"\\\\PLC-1"}), QStringList{"OPC Browser not checked"});
    EXPECT_EQ(kind(dialog, d, domain + QStringList{"Printers"}), kGenericNode);
    EXPECT_EQ(kind(dialog, d, domain + QStringList{"Printers", "\\\\PLC-2\\Labels"}), kShareNode);
    // Servers are not read into; machines are asked nothing yet.
    EXPECT_EQ(network->asked(), (std::vector<std::string>{"", "Plant Network", "PLANT", "Printers"}));
    EXPECT_EQ(network->waitCursors, (std::vector<int>{1, 1, 1, 1}));
    EXPECT_EQ(gui::WaitCursor::activeCount(), 0);
    EXPECT_TRUE(activator->asked.empty());

    QTreeWidgetItem* root = d.treeItem(IDC_MACHINE_TREE, {"Network"});
    root->setExpanded(false);
    root->setExpanded(true);
    EXPECT_EQ(network->asked().size(), 4u);
    d.press(gui::IDCANCEL);
  });
}

TEST_F(ServerSelectDialogTest, MachineNodesAskTheirMachineOnceAndShowFailures) {
  activator->failures[u"\\\\PLC-2"] = REGDB_E_CLASSNOTREG;
  run([&](CServerSelectDialog& dialog, DialogDriver& d) {
    d.expandTreeItem(IDC_MACHINE_TREE, {"Network"});
    const QStringList plc1 = {"Network", "Plant Network", "PLANT", "\\\\PLC-1"};
    const QStringList plc2 = {"Network", "Plant Network", "PLANT", "\\\\PLC-2"};
    QTreeWidgetItem* machine = d.treeItem(IDC_MACHINE_TREE, plc1);
    machine->setExpanded(true);
    EXPECT_EQ(childTexts(d, plc1), QStringList{"The RPC server is unavailable."});
    EXPECT_EQ(kind(dialog, d, plc1 + QStringList{"The RPC server is unavailable."}), kErrorNode);
    machine->setExpanded(false);
    machine->setExpanded(true);
    EXPECT_EQ(activator->timesAsked(u"\\\\PLC-1"), 1);
    EXPECT_EQ(activator->waitCursors, std::vector<int>{1});
    EXPECT_EQ(gui::WaitCursor::activeCount(), 0);
    EXPECT_EQ(childTexts(d, plc1).size(), 1);

    d.expandTreeItem(IDC_MACHINE_TREE, plc2);
    EXPECT_EQ(childTexts(d, plc2), QStringList{"There is no OPC Browser."});
    EXPECT_EQ(kind(dialog, d, plc2 + QStringList{"There is no OPC Browser."}), kNoServerListNode);
    d.press(gui::IDCANCEL);
  });
}

TEST_F(ServerSelectDialogTest, RemoteNodeAddedBeforeTheNetworkIsReadComesFirstAtTheExpansion) {
  run([&](CServerSelectDialog& dialog, DialogDriver& d) {
    expectPopup(true, false, ID_ADD_REMOTE_NODE);
    expectRemoteNodeDialog("192.0.2.7");
    rightClickNetwork(d);
    EXPECT_EQ(dialog.machineTree().remoteNodeText(), "192.0.2.7");
    EXPECT_EQ(childTexts(d, {"Network"}), QStringList{"There are no other machines !"});

    d.expandTreeItem(IDC_MACHINE_TREE, {"Network"});
    EXPECT_EQ(childTexts(d, {"Network"}), (QStringList{"192.0.2.7", "Plant Network"}));
    EXPECT_EQ(kind(dialog, d, {"Network", "192.0.2.7"}), kMachineNode);
    EXPECT_EQ(childTexts(d, {"Network", "192.0.2.7"}), QStringList{"OPC Browser not checked"});
    d.press(gui::IDCANCEL);
  });
  // The tree keeps its remote node in the settings when it goes.
  dialog.reset();
  EXPECT_EQ(gui::ProfileStore::instance().GetProfileString("Settings", "RemoteIPNode", "<none>"), "192.0.2.7");

  // The next dialog starts with it: the pop-up offers only removal, and then
  // only adding again.
  run([&](CServerSelectDialog& dialog, DialogDriver& d) {
    expectPopup(false, true, 0);  // nothing chosen
    rightClickNetwork(d);
    EXPECT_EQ(dialog.machineTree().remoteNodeText(), "192.0.2.7");
    expectPopup(false, true, ID_REMOVE_REMOTE_NODE);
    rightClickNetwork(d);
    EXPECT_TRUE(dialog.machineTree().remoteNodeText().isEmpty());
    expectPopup(true, false, 0);
    rightClickNetwork(d);
    d.press(gui::IDCANCEL);
  });
  dialog.reset();
  EXPECT_EQ(gui::ProfileStore::instance().GetProfileString("Settings", "RemoteIPNode", "<none>"), "");
}

TEST_F(ServerSelectDialogTest, RemoteNodeAddedAfterTheNetworkIsReadAppearsAtOnceAndGoesWithItsServerList) {
  auto list = com::makeObject<TestServerList>();
  list->entries = {{CLSID_OPCServerList, u"Plant.Server", u"Plant Server"}};
  activator->lists[u"192.0.2.7"] = list;
  list.reset();
  run([&](CServerSelectDialog& dialog, DialogDriver& d) {
    d.expandTreeItem(IDC_MACHINE_TREE, {"Network"});
    expectPopup(true, false, ID_ADD_REMOTE_NODE);
    expectRemoteNodeDialog("192.0.2.7");
    rightClickNetwork(d);
    EXPECT_EQ(childTexts(d, {"Network"}), (QStringList{"192.0.2.7", "Plant Network"}));

    d.expandTreeItem(IDC_MACHINE_TREE, {"Network", "192.0.2.7"});
    EXPECT_EQ(kind(dialog, d, {"Network", "192.0.2.7", "OPC Browser"}), kServerListNode);
    d.selectTreeItem(IDC_MACHINE_TREE, {"Network", "192.0.2.7", "OPC Browser"});
    EXPECT_EQ(progIds(d), QStringList{"Plant.Server"});

    // Removing the node releases its machine's server list object.
    expectPopup(false, true, ID_REMOVE_REMOTE_NODE);
    rightClickNetwork(d);
    EXPECT_EQ(childTexts(d, {"Network"}), QStringList{"Plant Network"});
    activator->lists.clear();
    EXPECT_EQ(com::Module::objectCount(), 0);
    d.press(gui::IDCANCEL);
  });
}

TEST_F(ServerSelectDialogTest, RemoteNodeCancelledOrOnAnEmptyNetwork) {
  network->fail("", ERROR_NO_NETWORK);
  run([&](CServerSelectDialog& dialog, DialogDriver& d) {
    // A network that cannot be read shows nothing and says nothing.
    d.expandTreeItem(IDC_MACHINE_TREE, {"Network"});
    EXPECT_TRUE(childTexts(d, {"Network"}).isEmpty());
    EXPECT_TRUE(modalScript().messageBoxes().empty());

    expectPopup(true, false, ID_ADD_REMOTE_NODE);
    expectRemoteNodeDialog("192.0.2.7", gui::IDCANCEL);
    rightClickNetwork(d);
    EXPECT_TRUE(dialog.machineTree().remoteNodeText().isEmpty());

    expectPopup(true, false, ID_ADD_REMOTE_NODE);
    expectRemoteNodeDialog("192.0.2.9");
    rightClickNetwork(d);
    EXPECT_EQ(childTexts(d, {"Network"}), QStringList{"192.0.2.9"});
    EXPECT_EQ(dialog.machineTree().remoteNodeText(), "192.0.2.9");

    // Right clicks elsewhere show no pop-up.
    QTreeWidgetItem* registry = d.treeItem(IDC_MACHINE_TREE, {"This Computer", "Registry"});
    gui::testing::rightClickTreeItem(registry->treeWidget(), registry);
    d.press(gui::IDCANCEL);
  });
}

TEST_F(ServerSelectDialogTest, ServerListFailuresWhileListing) {
  auto list = com::makeObject<TestServerList>();
  const CLSID second = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
  list->entries = {{CLSID_OPCServerList, u"Plant.First", u"First"}, {second, u"Plant.Second", u"Second", true}};
  activator->lists[u"192.0.2.7"] = list;
  gui::ProfileStore::instance().WriteProfileString("Settings", "RemoteIPNode", "192.0.2.7");
  run([&](CServerSelectDialog&, DialogDriver& d) {
    d.expandTreeItem(IDC_MACHINE_TREE, {"Network"});
    d.expandTreeItem(IDC_MACHINE_TREE, {"Network", "192.0.2.7"});
    // The details of the second class fail: the first row stays.
    modalScript().expectMessageBox(gui::IDOK, systemText(E_FAIL));
    d.selectTreeItem(IDC_MACHINE_TREE, {"Network", "192.0.2.7", "OPC Browser"});
    EXPECT_EQ(progIds(d), QStringList{"Plant.First"});
    EXPECT_EQ(modalScript().messageBoxes().back().caption, "Error");
    EXPECT_EQ(modalScript().messageBoxes().back().icon(), gui::MB_ICONINFORMATION);

    // A refused enumeration leaves the list empty without a word.
    list->enumerationResult = E_FAIL;
    d.check(IDC_DA10_FILTER);
    EXPECT_TRUE(progIds(d).isEmpty());
    EXPECT_EQ(modalScript().messageBoxes().size(), 1u);
    d.press(gui::IDCANCEL);
  });
  list.reset();
  activator->lists.clear();
}

}  // namespace
