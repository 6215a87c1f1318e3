#pragma once

// The modal seam while Quillon connects without a user: the connect dialog
// gets the given texts and is closed with Connect; every message box is
// written to the standard error output and answered with OK, so a script
// sees why a connection failed.

#include <QString>

#include "gui/modal_seam.h"

class AutoConnectSeam : public gui::ModalSeam {
 public:
  AutoConnectSeam(QString server, QString machine) : server_(std::move(server)), machine_(std::move(machine)) {}

  int runDialog(gui::Dialog& dialog) override;
  int runMessageBox(const gui::MessageBoxRequest& request) override;
  UINT runPopupMenu(const gui::PopupMenuRequest& request) override;

 private:
  QString server_;
  QString machine_;
};
