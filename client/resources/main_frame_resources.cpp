// The main frame's resources: menu 128 with its interface pop-ups, tool bar
// 128, the accelerators, the icon, the string table with the window title,
// the command prompts (status-bar text, then the tool tip after "\n") and the
// server-state indicator, and the bitmaps of the status lamp, the result
// view and the group panes.

#include "gui/resources.h"
#include "resources/quillon_resources.h"
#include "resources/resource_ids.h"

namespace quillon {
namespace {

using gui::MenuItem;

// The interface pop-ups start greyed; the main window's enabling rules
// enable the ones whose interface the connected server offers.
constexpr bool kGreyed = true;

gui::MenuResource mainMenu() {
  return {{
      MenuItem::command(gui::ID_APP_EXIT, "E&xit"),
      MenuItem::popup("&View", {MenuItem::command(gui::ID_VIEW_TOOLBAR, "&Toolbar"),
                                MenuItem::command(gui::ID_VIEW_STATUS_BAR, "&Status Bar"),
                                MenuItem::separator(),
                                MenuItem::command(ID_REFRESH_PUBLIC_GROUP, "&Refresh Public Group")}),
      MenuItem::popup(
          "&OPCServer",
          {MenuItem::command(ID_CONNECT, "&Connect"),
           MenuItem::command(ID_DISCONNECT, "&Disconnect"),
           MenuItem::separator(),
           MenuItem::popup("IOPC&Server",
                           {MenuItem::command(ID_IOPCSERVER_ADDGROUP, "&AddGroup"),
                            MenuItem::command(ID_IOPCSERVER_GETERRORSTRING, "Get&ErrorString"),
                            MenuItem::command(ID_IOPCSERVER_GETGROUPBYNAME, "&GetGroupByName"),
                            MenuItem::command(ID_IOPCSERVER_GETSTATUS, "Get&Status"),
                            MenuItem::command(ID_IOPCSERVER_REMOVEGROUP, "&RemoveGroup"),
                            MenuItem::command(ID_IOPCSERVER_CREATEGROUPENUMERATOR, "&CreateGroupEnumerator")},
                           kGreyed),
           MenuItem::popup("IOPCServer&PublicGroups",
                           {MenuItem::command(ID_IOPCSERVERPUBLICGROUPS_GETPUBLICGROUPBYNAME,
                                              "&GetPublicGroupByName"),
                            MenuItem::command(ID_IOPCSERVERPUBLICGROUPS_REMOVEPUBLICGROUP, "&RemovePublicGroup")},
                           kGreyed),
           MenuItem::popup("IOPCBrowseServer&AddressSpace",
                           {MenuItem::command(ID_IOPCBROWSE_QUERYORGANIZATION, "&QueryOrganization"),
                            MenuItem::command(ID_IOPCBROWSE_CHANGEBROWSEPOSITION, "ChangeBrowse&Position"),
                            MenuItem::command(ID_IOPCBROWSE_BROWSEOPCITEMIDS, "BrowseOPCItem&IDs"),
                            MenuItem::command(ID_IOPCBROWSE_GETITEMID, "&GetItemID"),
                            MenuItem::command(ID_IOPCBROWSE_BROWSEACCESSPATHS, "BrowseAccess&Paths")},
                           kGreyed),
           MenuItem::popup("IPersist&File",
                           {MenuItem::command(ID_IPERSISTFILE_ISDIRTY, "Is&Dirty"),
                            MenuItem::command(ID_IPERSISTFILE_LOAD, "&Load"),
                            MenuItem::command(ID_IPERSISTFILE_SAVE, "&Save"),
                            MenuItem::command(ID_IPERSISTFILE_SAVECOMPLETED, "Save&Completed"),
                            MenuItem::command(ID_IPERSISTFILE_GETCURFILE, "&GetCurFile")},
                           kGreyed),
           MenuItem::separator(),
           MenuItem::popup("IOPCC&ommon",
                           {MenuItem::command(ID_IOPCCOMMON_SETLOCALEID, "&SetLocaleID"),
                            MenuItem::command(ID_IOPCCOMMON_GETLOCALEID, "&GetLocaleID"),
                            MenuItem::command(ID_IOPCCOMMON_QUERYAVAILABLELOCALEIDS, "&QueryAvailableLocaleIDs"),
                            MenuItem::command(ID_IOPCCOMMON_GETERRORSTRING, "Get&ErrorString"),
                            MenuItem::command(ID_IOPCCOMMON_SETCLIENTNAME, "SetClient&Name")},
                           kGreyed),
           MenuItem::popup("IOPCItemP&roperties",
                           {MenuItem::command(ID_IOPCITEMPROPERTIES_QUERYAVAILABLEPROPERTIES,
                                              "&QueryAvailableProperties"),
                            MenuItem::command(ID_IOPCITEMPROPERTIES_GETITEMPROPERTIES, "&GetItemProperties"),
                            MenuItem::command(ID_IOPCITEMPROPERTIES_LOOKUPITEMIDS, "&LookupItemIDs")},
                           kGreyed)}),
      MenuItem::popup("&Help", {MenuItem::command(gui::ID_APP_ABOUT, "&About Quillon...")}),
  }};
}

void registerStrings(gui::Resources& resources) {
  resources.addStrings({
      {IDR_MAINFRAME, "Quillon"},
      {gui::IDS_IDLE_MESSAGE, "Ready"},
      {ID_INDICATOR_SERVER_STATE, "OPC_STATUS_SUSPENDED"},
      {ID_CONNECT, "Connects the Quillon to a Server\nConnect"},
      {ID_DISCONNECT, "Disconnects the Quillon from the connected Server\nDisconnect"},
      {ID_REFRESH_PUBLIC_GROUP,
       "Refresh the Public Group View; do this if another Client has modified the Public Group\n"
       "Refresh Public Group"},
      {gui::ID_APP_EXIT, "Quit the application\nExit"},
      // The server-level commands have a status-bar prompt and no tool tip.
      {ID_IOPCSERVER_ADDGROUP, "Adds a group to a server"},
      {ID_IOPCSERVER_GETERRORSTRING, "Returns the error string for a server specific error code"},
      {ID_IOPCSERVER_GETGROUPBYNAME, "Returns an interface pointer to a private group"},
      {ID_IOPCSERVER_GETSTATUS, "Returns current status information for the server"},
      {ID_IOPCSERVER_REMOVEGROUP, "Deletes a private group from the server"},
      {ID_IOPCSERVER_CREATEGROUPENUMERATOR, "Creates various enumerators for the groups provided by the server"},
      {ID_IOPCSERVERPUBLICGROUPS_GETPUBLICGROUPBYNAME, "Returns an interface pointer to a public group"},
      {ID_IOPCSERVERPUBLICGROUPS_REMOVEPUBLICGROUP, "Deletes a public group from the server"},
      {ID_IOPCBROWSE_QUERYORGANIZATION, "Determines if the system is flat or hierarchical"},
      {ID_IOPCBROWSE_CHANGEBROWSEPOSITION, "Moves 'up' or 'down' in a hierarchical space"},
      {ID_IOPCBROWSE_BROWSEOPCITEMIDS, "Returs a list of items identifiers"},
      {ID_IOPCBROWSE_GETITEMID, "Gets a 'fully qualified' item identifier in a hierachical space"},
      {ID_IOPCBROWSE_BROWSEACCESSPATHS, "Browses the available access paths for an item identifier"},
      {ID_IPERSISTFILE_ISDIRTY, "Checks if there are any configuration changes since the last save operation"},
      {ID_IPERSISTFILE_LOAD, "Instructs the server to load a configuration"},
      {ID_IPERSISTFILE_SAVE, "Instructs the server to save the current configuration"},
      {ID_IPERSISTFILE_SAVECOMPLETED, "Indicates that the caller has saved the file"},
      {ID_IPERSISTFILE_GETCURFILE, "Gets the name of the currently loaded configuration"},
      {ID_IOPCCOMMON_SETLOCALEID, "Sets the default LocaleID for this server/client session "},
      {ID_IOPCCOMMON_GETLOCALEID, "Returns the default LocaleID for this server/client session"},
      {ID_IOPCCOMMON_QUERYAVAILABLELOCALEIDS, "Returns the available LocaleIDs for this server/client session "},
      {ID_IOPCCOMMON_GETERRORSTRING, "Returns the error string for a server specific error code"},
      {ID_IOPCCOMMON_SETCLIENTNAME, "Registers a client name with the server"},
      {ID_IOPCITEMPROPERTIES_QUERYAVAILABLEPROPERTIES,
       "Returns a list of ID codes and descriptions for the available properties for a specified item ID"},
      {ID_IOPCITEMPROPERTIES_GETITEMPROPERTIES, "Returns a list of the current data values for the passed ID codes "},
      {ID_IOPCITEMPROPERTIES_LOOKUPITEMIDS, "Return a list of ITEMIDs for each of the passed ID codes"},
  });
}

void registerImages(gui::Resources& resources) {
  // The images are drawn for the window layer and shipped in its Qt resources.
  resources.addBitmap(IDB_TOOLBAR, ":/gui/images/toolbar_session.png");
  resources.addBitmap(IDB_LAMP_OFF, ":/gui/images/lamp_off.png");
  resources.addBitmap(IDB_LAMP_RUNNING, ":/gui/images/lamp_running.png");
  resources.addBitmap(IDB_LAMP_FAILED, ":/gui/images/lamp_failed.png");
  resources.addBitmap(IDB_LAMP_ATTENTION, ":/gui/images/lamp_attention.png");
  resources.addBitmap(IDB_LAMP_MASK, ":/gui/images/lamp_mask.png");
  resources.addBitmap(IDB_RETURN_CODE_DETAILS, ":/gui/images/details.png");
  resources.addBitmap(IDB_GROUP_TREE, ":/gui/images/tree_groups.png");
  resources.addIcon(IDR_MAINFRAME, {":/gui/images/app_16.png", ":/gui/images/app_24.png", ":/gui/images/app_32.png",
                                    ":/gui/images/app_48.png", ":/gui/images/app_64.png"});
}

}  // namespace

void RegisterMainFrameResources() {
  gui::Resources& resources = gui::Resources::instance();
  resources.addMenu(IDR_MAINFRAME, mainMenu());
  resources.addToolBar(IDR_MAINFRAME, {IDB_TOOLBAR,
                                       {16, 15},
                                       {ID_CONNECT, ID_DISCONNECT, gui::ID_SEPARATOR, ID_REFRESH_PUBLIC_GROUP,
                                        gui::ID_SEPARATOR, gui::ID_APP_ABOUT, gui::ID_APP_EXIT}});
  resources.addAccelerators(IDR_MAINFRAME, {{Qt::Key_F6, Qt::NoModifier, gui::ID_NEXT_PANE},
                                            {Qt::Key_F6, Qt::ShiftModifier, gui::ID_PREV_PANE}});
  registerStrings(resources);
  registerImages(resources);
}

void RegisterQuillonResources() {
  RegisterMainFrameResources();
  RegisterDialogTemplates();
  RegisterGroupPopupResources();
  RegisterServerSelectionResources();
}

}  // namespace quillon
