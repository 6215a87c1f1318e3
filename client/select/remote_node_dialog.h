#pragma once

// The remote node dialog (template 156): the IPv4 address of the one
// remote machine that the machine tree shows besides the network.

#include <QString>

#include "gui/dialog.h"

class CRemoteNodeDialog : public gui::Dialog {
 public:
  explicit CRemoteNodeDialog(gui::Window* owner = nullptr);

  // After OK: the four fields as "%d.%d.%d.%d" (blank fields read 0).
  const QString& address() const { return address_; }

 protected:
  void OnOK() override;

 private:
  QString address_;
};
