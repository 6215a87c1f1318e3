#pragma once

// The item-identifier dialog (template 150): an editable drop-down that
// offers every item of the server's address space, when the server can
// list them, and takes any typed identifier as well.

#include <QString>
#include <string>

#include "gui/dialog.h"

class CServerSession;

class CItemIdDialog : public gui::Dialog {
 public:
  // `caption` is the function name of the command that asks.
  CItemIdDialog(QString caption, const CServerSession& session, gui::Window* owner = nullptr);

  // The text in the drop-down's field on OK, chosen or typed.
  std::string itemId;

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(gui::DataExchange& exchange) override;

 private:
  QString caption_;
  const CServerSession& session_;
};
