#pragma once

// The demo's dialogs.

#include "demo_resources.h"
#include "gui/dialog.h"

namespace demo {

class ConnectDialog : public gui::Dialog {
 public:
  explicit ConnectDialog(gui::Window* owner);
  ~ConnectDialog() override;

  QString server;
  QString machine;

 protected:
  void DoDataExchange(gui::DataExchange& dx) override;
};

class AboutDialog : public gui::Dialog {
 public:
  AboutDialog() : gui::Dialog(IDD_ABOUT) {}
};

}  // namespace demo
