#pragma once

// The configuration-file dialog (template 138) of the persistence commands.
// It starts from the last configuration file name that any of them used
// while the program runs, and remembers the name given with OK.

#include <string>

#include "gui/dialog.h"

class CPersistFileDialog : public gui::Dialog {
 public:
  enum Mode {
    kSave = 0,           // IPersistFile::Save, with the "remember" check box
    kSaveCompleted = 1,  // IPersistFile::SaveCompleted
    kLoad = 2,           // IPersistFile::Load, with a note on the access mode
  };

  explicit CPersistFileDialog(int mode, gui::Window* owner = nullptr);

  int mode() const { return mode_; }

  std::string fileName;   // "File Name": the last configuration file name at first
  bool remember = false;  // "Change the logically asscociated filename ..." (Save only)

 protected:
  bool OnInitDialog() override;
  void OnOK() override;
  void DoDataExchange(gui::DataExchange& exchange) override;

 private:
  int mode_;
};

// The file name last confirmed in the dialog; empty when the program starts.
const std::string& LastConfigurationFileName();
void SetLastConfigurationFileName(std::string fileName);
