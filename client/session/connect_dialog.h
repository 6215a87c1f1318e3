#pragma once

// The connect dialog (template 152): the server's ProgID and the machine it
// runs on, typed or chosen through "Browse..." (the server selection). It
// starts from the settings "OPC Server" and "Machine" and writes both back
// when it is destroyed, whichever button closed it.

#include <QString>

#include "gui/dialog.h"

class CConnectDialog : public gui::Dialog {
 public:
  explicit CConnectDialog(gui::Window* owner = nullptr);
  ~CConnectDialog() override;

  const QString& server() const { return server_; }
  const QString& machine() const { return machine_; }

 protected:
  void DoDataExchange(gui::DataExchange& exchange) override;

 private:
  void OnBrowse();

  QString server_;
  QString machine_;
};
