#pragma once

// The browse dialog (template 135): the filters of a listing of item
// identifiers, with the current browse position shown above them.

#include <string>

#include "gui/dialog.h"
#include "opc/types.h"

class CBrowseItemIdsDialog : public gui::Dialog {
 public:
  explicit CBrowseItemIdsDialog(gui::Window* owner = nullptr);

  OPCBROWSETYPE filterType = OPC_FLAT;  // "Browse Filter Type"
  std::string filterCriteria;           // "Filter Criteria"
  VARTYPE dataTypeFilter = VT_EMPTY;    // "Data Type Filter"
  DWORD accessRightsFilter = 0;         // "Access Rights Filter": 0, OPC_READABLE or OPC_WRITEABLE

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(gui::DataExchange& exchange) override;
};
