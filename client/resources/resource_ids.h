#pragma once

// Quillon's resource, command and control ids: the numbers by which the
// program finds its menus, tool bar, strings, bitmaps and dialog templates,
// and by which its commands and controls are addressed. The framework's own
// ids (About, Exit, the bar toggles, the lock indicators) are in gui/ids.h.

#include "gui/ids.h"

namespace quillon {

// ---- main frame: menu, tool bar, accelerators, icon and title string ----------------------
constexpr UINT IDR_MAINFRAME = 128;

// ---- bitmaps --------------------------------------------------------------------------------
constexpr UINT IDB_TOOLBAR = 128;           // the tool bar's button strip
constexpr UINT IDB_LAMP_FAILED = 131;       // server state 2
constexpr UINT IDB_LAMP_MASK = 133;         // mask of every lamp
constexpr UINT IDB_LAMP_RUNNING = 134;      // server state 1
constexpr UINT IDB_LAMP_ATTENTION = 135;    // server states 3, 4 and 5
constexpr UINT IDB_RETURN_CODE_DETAILS = 146;  // the button that carries the return code's description
constexpr UINT IDB_LAMP_OFF = 151;          // not connected, or a state the client does not know
constexpr UINT IDB_GROUP_TREE = 153;        // root, group and the three item kinds of the group panes
constexpr UINT IDB_MACHINE_TREE = 154;      // the node kinds of the server selection's machine tree

// ---- dialog templates ---------------------------------------------------------------------
constexpr UINT IDD_ABOUTBOX = 102;
constexpr UINT IDD_SERVER_SELECT = 105;
constexpr UINT IDD_REMOTE_NODE = 156;
constexpr UINT IDD_CONNECT = 152;
constexpr UINT IDD_FUNCTION_RESULT = 2002;

// ---- controls -------------------------------------------------------------------------------
// Connect dialog.
constexpr int IDC_SERVER_NAME = 2001;
constexpr int IDC_MACHINE_NAME = 1059;
constexpr int IDC_BROWSE = 2035;
// Result view.
constexpr int IDC_FUNCTION_NAME = 2004;
constexpr int IDC_RETURN_CODE = 2003;
constexpr int IDC_RETURN_CODE_DETAILS = 2026;
constexpr int IDC_FUNCTION_RESULT = 2002;
// About box.
constexpr int IDC_LEGAL_NOTICE = 1001;
constexpr int IDC_VERSION_LINE = 1002;
// Server selection and remote node dialogs.
constexpr int IDC_MACHINE_TREE = 1000;
constexpr int IDC_SERVER_LIST = 1008;
constexpr int IDC_DA10_FILTER = 1009;
constexpr int IDC_DA20_FILTER = 1010;
constexpr int IDC_PROGID_FILTER = 1062;
constexpr int IDC_CASE_SENSITIVE = 1063;
constexpr int IDC_REMOTE_NODE_ADDRESS = 1061;

// ---- the machine tree's remote node pop-up (menu 155) ------------------------------------
constexpr UINT IDR_REMOTE_NODE_MENU = 155;
constexpr UINT ID_ADD_REMOTE_NODE = 32842;
constexpr UINT ID_REMOVE_REMOTE_NODE = 32843;

// ---- session commands ---------------------------------------------------------------------
constexpr UINT ID_CONNECT = 32771;
constexpr UINT ID_DISCONNECT = 32772;
constexpr UINT ID_REFRESH_PUBLIC_GROUP = 32798;

// ---- server-level commands of the interface pop-ups ------------------------------------------
// IOPCServer
constexpr UINT ID_IOPCSERVER_ADDGROUP = 32775;
constexpr UINT ID_IOPCSERVER_GETERRORSTRING = 32776;
constexpr UINT ID_IOPCSERVER_GETGROUPBYNAME = 32777;
constexpr UINT ID_IOPCSERVER_GETSTATUS = 32778;
constexpr UINT ID_IOPCSERVER_REMOVEGROUP = 32779;
constexpr UINT ID_IOPCSERVER_CREATEGROUPENUMERATOR = 32780;
// IOPCServerPublicGroups
constexpr UINT ID_IOPCSERVERPUBLICGROUPS_GETPUBLICGROUPBYNAME = 32809;
constexpr UINT ID_IOPCSERVERPUBLICGROUPS_REMOVEPUBLICGROUP = 32811;
// IOPCBrowseServerAddressSpace
constexpr UINT ID_IOPCBROWSE_QUERYORGANIZATION = 32781;
constexpr UINT ID_IOPCBROWSE_CHANGEBROWSEPOSITION = 32782;
constexpr UINT ID_IOPCBROWSE_BROWSEOPCITEMIDS = 32783;
constexpr UINT ID_IOPCBROWSE_GETITEMID = 32784;
constexpr UINT ID_IOPCBROWSE_BROWSEACCESSPATHS = 32785;
// IPersistFile
constexpr UINT ID_IPERSISTFILE_ISDIRTY = 32804;
constexpr UINT ID_IPERSISTFILE_LOAD = 32805;
constexpr UINT ID_IPERSISTFILE_SAVE = 32806;
constexpr UINT ID_IPERSISTFILE_SAVECOMPLETED = 32807;
constexpr UINT ID_IPERSISTFILE_GETCURFILE = 32808;
// IOPCCommon
constexpr UINT ID_IOPCCOMMON_SETLOCALEID = 32833;
constexpr UINT ID_IOPCCOMMON_GETLOCALEID = 32834;
constexpr UINT ID_IOPCCOMMON_QUERYAVAILABLELOCALEIDS = 32835;
constexpr UINT ID_IOPCCOMMON_GETERRORSTRING = 32836;
constexpr UINT ID_IOPCCOMMON_SETCLIENTNAME = 32837;
// IOPCItemProperties
constexpr UINT ID_IOPCITEMPROPERTIES_QUERYAVAILABLEPROPERTIES = 32838;
constexpr UINT ID_IOPCITEMPROPERTIES_GETITEMPROPERTIES = 32839;
constexpr UINT ID_IOPCITEMPROPERTIES_LOOKUPITEMIDS = 32840;

// ---- group panes: the group pop-up (menu 135) and the item pop-up (menu 136) -----------------
constexpr UINT IDR_GROUP_POPUP = 135;
constexpr UINT IDR_ITEM_POPUP = 136;
// Group pop-up.
constexpr UINT ID_GROUP_GET_GROUP_TYPE = 32860;
constexpr UINT ID_GROUP_GET_STATE = 32861;
constexpr UINT ID_GROUP_SET_STATE = 32862;
constexpr UINT ID_GROUP_SET_NAME = 32863;
constexpr UINT ID_GROUP_CLONE_GROUP = 32864;
constexpr UINT ID_GROUP_REMOVE_GROUP = 32865;
constexpr UINT ID_GROUP_MOVE_TO_PUBLIC = 32866;
constexpr UINT ID_GROUP_VALIDATE_ITEM = 32867;
constexpr UINT ID_GROUP_ADD_ITEM = 32868;
constexpr UINT ID_GROUP_ADD_ALL_ITEMS = 32869;
constexpr UINT ID_GROUP_READ_ALL_ITEMS_N = 32870;
// Item pop-up.
constexpr UINT ID_ITEM_REMOVE_ITEM = 32875;
constexpr UINT ID_ITEM_READ = 32876;
constexpr UINT ID_ITEM_WRITE = 32877;
constexpr UINT ID_ITEM_ADVISE_DATA = 32878;
constexpr UINT ID_ITEM_ATTRIBUTES = 32879;
constexpr UINT ID_ITEM_SET_ACTIVE = 32880;
constexpr UINT ID_ITEM_SET_INACTIVE = 32881;
constexpr UINT ID_ITEM_SET_CLIENT_HANDLE = 32882;
constexpr UINT ID_ITEM_SET_DATATYPE = 32883;
constexpr UINT ID_ITEM_VALIDATE_ITEM = 32884;
constexpr UINT ID_ITEM_GET_PROPERTIES = 32885;
constexpr UINT ID_ITEM_READ_N = 32886;

// ---- status bar -----------------------------------------------------------------------------
// The server-state pane; its string, the longest state name, sets the pane's text width.
constexpr UINT ID_INDICATOR_SERVER_STATE = 57346;

}  // namespace quillon
