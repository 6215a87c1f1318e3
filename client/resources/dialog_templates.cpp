// The dialog templates: the connect dialog, the result view's form and the
// About box. Positions and sizes are dialog units of the template's font.

#include "gui/resources.h"
#include "resources/quillon_resources.h"
#include "resources/resource_ids.h"

namespace quillon {
namespace {

using namespace gui::dlg;

gui::DialogTemplate connectDialog() {
  return {IDD_CONNECT,
          "Connect to OPC Server",
          220,
          100,
          {},
          {label("Specify the name of the OPC Server you want this Client Application to connect to.",
                 {7, 7, 145, 19}),
           edit(IDC_SERVER_NAME, {7, 30, 145, 12}),
           label("Specify the name of the machine where the OPC Server is located.", {7, 55, 145, 19}),
           edit(IDC_MACHINE_NAME, {7, 80, 145, 12}),
           defaultButton(gui::IDOK, "Connect", {163, 7, 50, 14}),
           button(gui::IDCANCEL, "Cancel", {163, 24, 50, 14}),
           button(IDC_BROWSE, "Browse...", {163, 45, 50, 14})}};
}

gui::DialogTemplate functionResultForm() {
  return {IDD_FUNCTION_RESULT,
          "",
          356,
          112,
          {},
          {label("Function Name", {7, 7, 49, 8}),
           edit(IDC_FUNCTION_NAME, {100, 7, 231, 12}, gui::kReadOnly | gui::kAutoHScroll),
           label("Function Return Code", {7, 26, 70, 8}),
           edit(IDC_RETURN_CODE, {100, 26, 231, 12}, gui::kReadOnly | gui::kAutoHScroll),
           bitmapButton(IDC_RETURN_CODE_DETAILS, IDB_RETURN_CODE_DETAILS, {335, 26, 14, 14}),
           label("Function Result", {7, 45, 50, 8}),
           listBox(IDC_FUNCTION_RESULT, {100, 45, 231, 60},
                   gui::kTabStop | gui::kVScroll | gui::kHScroll | gui::kNoIntegralHeight)}};
}

gui::DialogTemplate aboutBox() {
  return {IDD_ABOUTBOX,
          "About <Program>",
          217,
          66,
          {},
          {icon(IDR_MAINFRAME, {11, 17, 20, 20}),
           label(IDC_VERSION_LINE, "", {40, 10, 134, 8}, gui::kNoWrap),
           label(IDC_LEGAL_NOTICE, "", {40, 25, 170, 8}),
           defaultButton(gui::IDOK, "OK", {178, 7, 32, 14}),
           label("https://www.velmora.example/quillon", {7, 51, 203, 8}, gui::kCenter)}};
}

}  // namespace

void RegisterDialogTemplates() {
  gui::Resources& resources = gui::Resources::instance();
  resources.addDialog(connectDialog());
  resources.addDialog(functionResultForm());
  resources.addDialog(aboutBox());
  RegisterParameterDialogTemplates();
  RegisterAdviseDataTemplate();
}

}  // namespace quillon
