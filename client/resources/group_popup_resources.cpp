// The pop-ups of the group panes: menu 135 for a group entry and menu 136
// for an item entry. Each resource holds one pop-up, the one the pane
// tracks; the public pane removes its private-only entries after loading.

#include "gui/resources.h"
#include "resources/quillon_resources.h"
#include "resources/resource_ids.h"

namespace quillon {

void RegisterGroupPopupResources() {
  using gui::MenuItem;
  gui::Resources& resources = gui::Resources::instance();
  resources.addMenu(IDR_GROUP_POPUP,
                    {{MenuItem::popup("Group", {MenuItem::command(ID_GROUP_GET_GROUP_TYPE, "Get Group Type"),
                                                MenuItem::command(ID_GROUP_GET_STATE, "Get State"),
                                                MenuItem::command(ID_GROUP_SET_STATE, "Set State"),
                                                MenuItem::command(ID_GROUP_SET_NAME, "Set Name"),
                                                MenuItem::command(ID_GROUP_CLONE_GROUP, "Clone Group"),
                                                MenuItem::command(ID_GROUP_REMOVE_GROUP, "Remove Group"),
                                                MenuItem::command(ID_GROUP_MOVE_TO_PUBLIC, "Move To Public"),
                                                MenuItem::command(ID_GROUP_VALIDATE_ITEM, "Validate Item"),
                                                MenuItem::command(ID_GROUP_ADD_ITEM, "Add Item"),
                                                MenuItem::command(ID_GROUP_ADD_ALL_ITEMS, "Add all Items"),
                                                MenuItem::separator(),
                                                MenuItem::command(ID_GROUP_READ_ALL_ITEMS_N, "Read all Items n")})}});
  resources.addMenu(IDR_ITEM_POPUP,
                    {{MenuItem::popup("Item", {MenuItem::command(ID_ITEM_REMOVE_ITEM, "Remove Item"),
                                               MenuItem::command(ID_ITEM_READ, "Read"),
                                               MenuItem::command(ID_ITEM_WRITE, "Write"),
                                               MenuItem::command(ID_ITEM_ADVISE_DATA, "Advise Data"),
                                               MenuItem::command(ID_ITEM_ATTRIBUTES, "Attributes"),
                                               MenuItem::command(ID_ITEM_SET_ACTIVE, "Set Active"),
                                               MenuItem::command(ID_ITEM_SET_INACTIVE, "Set Inactive"),
                                               MenuItem::command(ID_ITEM_SET_CLIENT_HANDLE, "Set Client Handle"),
                                               MenuItem::command(ID_ITEM_SET_DATATYPE, "Set Datatype"),
                                               MenuItem::command(ID_ITEM_VALIDATE_ITEM, "Validate Item"),
                                               MenuItem::separator(),
                                               MenuItem::command(ID_ITEM_GET_PROPERTIES, "Get Properties"),
                                               MenuItem::separator(),
                                               MenuItem::command(ID_ITEM_READ_N, "Read n")})}});
}

}  // namespace quillon
