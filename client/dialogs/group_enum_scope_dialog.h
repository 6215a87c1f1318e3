#pragma once

// The group-enumerator dialog (template 2007): which class of groups the
// server should enumerate.

#include "gui/dialog.h"
#include "opc/types.h"

class CGroupEnumScopeDialog : public gui::Dialog {
 public:
  explicit CGroupEnumScopeDialog(gui::Window* owner = nullptr);

  // "Class of groups to be enumerated"; OPC_ENUM_ALL when none is chosen.
  OPCENUMSCOPE scope = OPC_ENUM_ALL;

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(gui::DataExchange& exchange) override;
};
