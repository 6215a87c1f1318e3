#pragma once

// A command update with no element behind it: records whether the update
// handler enabled the command. Used to keep disabled commands from running
// and to read a command's state in tests.

#include "gui/cmd_ui.h"

namespace gui {

class ProbeCmdUI : public CmdUI {
 public:
  explicit ProbeCmdUI(UINT id) : CmdUI(id, 0) {}

  void Enable(bool on) override {
    enabled_ = on;
    markEnableChanged();
  }
  void SetCheck(int check) override { check_ = check; }
  void SetText(const QString& text) override { text_ = text; }

  bool enabled() const { return enabled_; }
  int check() const { return check_; }
  const QString& text() const { return text_; }

 private:
  bool enabled_ = true;
  int check_ = 0;
  QString text_;
};

}  // namespace gui
