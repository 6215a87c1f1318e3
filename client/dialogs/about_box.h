#pragma once

// The About box (template 102): the program's name and version and its
// legal notice. The texts come from the build's version numbers; reading
// them from the executable's own version information comes later.

#include <QString>

#include "gui/dialog.h"

class CAboutBox : public gui::Dialog {
 public:
  explicit CAboutBox(gui::Window* owner = nullptr);

  const QString& versionLine() const { return versionLine_; }
  const QString& legalNotice() const { return legalNotice_; }

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(gui::DataExchange& exchange) override;

 private:
  QString description_;
  QString versionLine_;
  QString legalNotice_;
};
