// The server selection's resources: the selection dialog (105) with its
// machine tree, the remote node dialog (156), the remote node pop-up (155)
// and the machine tree's images (154). Positions and sizes are dialog units
// of the template's font.

#include "gui/resources.h"
#include "resources/quillon_resources.h"
#include "resources/resource_ids.h"

namespace quillon {
namespace {

using namespace gui::dlg;

gui::DialogTemplate serverSelectDialog() {
  return {IDD_SERVER_SELECT,
          "Select an OPC Server",
          416,
          175,
          {},
          {label("Server Machines", {5, 5, 110, 8}),
           treeView(IDC_MACHINE_TREE, {5, 15, 135, 155},
                    gui::kTabStop | gui::kHasButtons | gui::kHasLines | gui::kLinesAtRoot | gui::kShowSelAlways),
           label("Registered OPC Servers", {145, 5, 78, 8}),
           // The columns are inserted when the dialog starts.
           listView(IDC_SERVER_LIST, {145, 15, 265, 105}),
           groupBox("Server Type Filter", {145, 125, 100, 45}),
           checkBox(IDC_DA10_FILTER, "OPC Data Access 1.0", {149, 135, 85, 10}),
           checkBox(IDC_DA20_FILTER, "OPC Data Access 2.0", {149, 145, 85, 10}),
           groupBox("ProgID Filter", {250, 125, 100, 45}),
           edit(IDC_PROGID_FILTER, {255, 135, 90, 12}),
           checkBox(IDC_CASE_SENSITIVE, "Case Sensitive", {255, 155, 63, 10}),
           defaultButton(gui::IDOK, "OK", {360, 130, 50, 14}),
           button(gui::IDCANCEL, "Cancel", {360, 150, 50, 14})}};
}

gui::DialogTemplate remoteNodeDialog() {
  return {IDD_REMOTE_NODE,
          "Remote Node Properties",
          186,
          47,
          {},
          {label("IP-Address of the Remote Node", {7, 7, 110, 8}),
           ipAddress(IDC_REMOTE_NODE_ADDRESS, {7, 20, 110, 14}),
           defaultButton(gui::IDOK, "OK", {129, 7, 50, 14}),
           button(gui::IDCANCEL, "Cancel", {129, 24, 50, 14})}};
}

gui::MenuResource remoteNodeMenu() {
  using gui::MenuItem;
  return {{MenuItem::command(ID_ADD_REMOTE_NODE, "Add Remote Node"),
           MenuItem::command(ID_REMOVE_REMOTE_NODE, "Remove Remote Node")}};
}

}  // namespace

void RegisterServerSelectionResources() {
  gui::Resources& resources = gui::Resources::instance();
  resources.addDialog(serverSelectDialog());
  resources.addDialog(remoteNodeDialog());
  resources.addMenu(IDR_REMOTE_NODE_MENU, remoteNodeMenu());
  resources.addBitmap(IDB_MACHINE_TREE, ":/gui/images/tree_machines.png");
}

}  // namespace quillon
