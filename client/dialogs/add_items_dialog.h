#pragma once

// The add-item dialog of a group (template 2005): the item to add, chosen
// from the server's address space or typed, its access path, whether it
// starts active, and the client's handle for it. The blob size and the
// requested type that the command passes are fixed and only shown, as is
// the current browse position.

#include <string>

#include "gui/dialog.h"
#include "win/types.h"

class CServerSession;

class CAddItemsDialog : public gui::Dialog {
 public:
  explicit CAddItemsDialog(const CServerSession& session, gui::Window* owner = nullptr);

  std::string itemId;        // "Item ID": the text in the drop-down's field, chosen or typed
  std::string accessPath;    // "Access Path"
  bool active = true;        // "Create Item": "Active" or "Inactive"
  DWORD providedHandle = 0;  // "Provided Handle": the client's handle of the item

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(gui::DataExchange& exchange) override;

 private:
  const CServerSession& session_;
};
