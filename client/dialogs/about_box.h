#pragma once

// The About box (template 102). Its title, program line and legal notice
// are read from the version resource of the program's own file when the
// dialog is created; a file whose version resource cannot be read leaves the
// dialog unshown (DoModal returns -1).

#include <QString>

#include "dialogs/file_version_reader.h"
#include "gui/dialog.h"

class CAboutBox : public gui::Dialog {
 public:
  explicit CAboutBox(gui::Window* owner = nullptr);

  const QString& versionLine() const { return versionLine_; }
  const QString& legalNotice() const { return legalNotice_; }
  const CFileVersionReader& versionReader() const { return versionReader_; }

  // Test seam: the file whose version resource the box shows instead of
  // the program's own (empty: the program's own).
  void setVersionFileForTesting(const QString& fileName) { versionFile_ = fileName; }

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(gui::DataExchange& exchange) override;

 private:
  QString versionString(const char* name) const;

  CFileVersionReader versionReader_;
  QString versionFile_;
  QString description_;
  QString versionLine_;
  QString legalNotice_;
};
