#include "demo_resources.h"

#include "gui/resources.h"

namespace demo {

void registerDemoResources() {
  using gui::MenuItem;
  using namespace gui;
  Resources& resources = Resources::instance();
  resources.addMenu(IDR_MAINFRAME, {{
      MenuItem::command(ID_APP_EXIT, "E&xit"),
      MenuItem::popup("&View", {MenuItem::command(ID_VIEW_TOOLBAR, "&Toolbar"),
                                MenuItem::command(ID_VIEW_STATUS_BAR, "&Status Bar"), MenuItem::separator(),
                                MenuItem::command(ID_REFRESH, "&Refresh Public Group")}),
      MenuItem::popup("&Server", {MenuItem::command(ID_CONNECT, "&Connect"), MenuItem::command(ID_DISCONNECT, "&Disconnect"),
                                  MenuItem::separator(),
                                  MenuItem::popup("&Status", {MenuItem::command(ID_GET_STATUS, "&Get Status")}, true)}),
      MenuItem::popup("&Help", {MenuItem::command(ID_APP_ABOUT, "&About Demo...")}),
  }});
  resources.addToolBar(IDR_MAINFRAME, {IDB_TOOLBAR, {16, 15},
                                       {ID_CONNECT, ID_DISCONNECT, ID_SEPARATOR, ID_REFRESH, ID_SEPARATOR, ID_APP_ABOUT,
                                        ID_APP_EXIT}});
  resources.addAccelerators(IDR_MAINFRAME, {{Qt::Key_F6, Qt::NoModifier, ID_NEXT_PANE},
                                            {Qt::Key_F6, Qt::ShiftModifier, ID_PREV_PANE}});
  resources.addStrings({
      {IDR_MAINFRAME, "Window Layer Demo"},
      {ID_CONNECT, "Connects the demo to its pretend server\nConnect"},
      {ID_DISCONNECT, "Disconnects from the pretend server\nDisconnect"},
      {ID_REFRESH, "Reads the group trees again\nRefresh Public Group"},
      {ID_GET_STATUS, "Asks the pretend server for its state\nGet Status"},
      {ID_STATUS_PANE, "OPC_STATUS_SUSPENDED"},
  });
  resources.addBitmap(IDB_TOOLBAR, ":/gui/images/toolbar_session.png");
  resources.addBitmap(IDB_LAMP_OFF, ":/gui/images/lamp_off.png");
  resources.addBitmap(IDB_LAMP_RUNNING, ":/gui/images/lamp_running.png");
  resources.addBitmap(IDB_LAMP_FAILED, ":/gui/images/lamp_failed.png");
  resources.addBitmap(IDB_LAMP_ATTENTION, ":/gui/images/lamp_attention.png");
  resources.addBitmap(IDB_LAMP_MASK, ":/gui/images/lamp_mask.png");
  resources.addBitmap(IDB_DETAILS, ":/gui/images/details.png");
  resources.addBitmap(IDB_TREE, ":/gui/images/tree_groups.png");
  resources.addIcon(IDR_MAINFRAME, {":/gui/images/app_16.png", ":/gui/images/app_24.png", ":/gui/images/app_32.png",
                                    ":/gui/images/app_48.png", ":/gui/images/app_64.png"});

  using namespace gui::dlg;
  resources.addDialog({IDD_RESULT, "", 356, 112, {},
                       {label("Function Name", {7, 7, 49, 8}),
                        edit(2004, {100, 7, 231, 12}, kReadOnly | kAutoHScroll),
                        label("Function Return Code", {7, 26, 70, 8}),
                        edit(2003, {100, 26, 231, 12}, kReadOnly | kAutoHScroll),
                        bitmapButton(2026, IDB_DETAILS, {335, 26, 14, 14}),
                        label("Function Result", {7, 45, 50, 8}),
                        listBox(2001, {100, 45, 231, 60}, kVScroll | kHScroll | kNoIntegralHeight)}});
  resources.addDialog({IDD_CONNECT, "Connect to OPC Server", 220, 100, {},
                       {label("Specify the name of the OPC Server you want this Client Application to connect to.",
                              {7, 7, 145, 19}),
                        edit(2001, {7, 30, 145, 12}),
                        label("Specify the name of the machine where the OPC Server is located.", {7, 55, 145, 19}),
                        edit(1059, {7, 80, 145, 12}),
                        defaultButton(IDOK, "Connect", {163, 7, 50, 14}),
                        button(IDCANCEL, "Cancel", {163, 24, 50, 14}),
                        button(2035, "Browse...", {163, 45, 50, 14})}});
  resources.addDialog({IDD_ABOUT, "About Window Layer Demo", 217, 66, {},
                       {icon(IDR_MAINFRAME, {11, 17, 20, 20}),
                        label(1002, "Window Layer Demo Version 1.0", {40, 10, 134, 8}, kNoWrap),
                        label(1001, "Copyright (C) Velmora", {40, 25, 170, 8}),
                        defaultButton(IDOK, "OK", {178, 7, 32, 14}),
                        label("https://velmora.example", {7, 51, 203, 8}, kCenter)}});
}

}  // namespace demo
