#pragma once

// The per-user settings store: string and number values by section and
// entry, kept with QSettings under an organisation and the application's
// name (the executable's base name). A program names its organisation once
// (Application::SetRegistryKey); values are written through at once.
// User-interface thread only.

#include <QString>
#include <memory>

class QSettings;

namespace gui {

class ProfileStore {
 public:
  static ProfileStore& instance();

  // Selects the store; until then the application's organisation name of
  // QCoreApplication and the executable's base name are used.
  void configure(const QString& organization, const QString& application);
  QString organization() const { return organization_; }
  QString application() const { return application_; }

  QString GetProfileString(const QString& section, const QString& entry, const QString& defaultValue = {});
  bool WriteProfileString(const QString& section, const QString& entry, const QString& value);
  int GetProfileInt(const QString& section, const QString& entry, int defaultValue);
  bool WriteProfileInt(const QString& section, const QString& entry, int value);
  // Removes every value of this store.
  void clear();
  // The file that holds the values.
  QString fileName();

 private:
  ProfileStore() = default;
  QSettings& settings();

  QString organization_;
  QString application_;
  std::unique_ptr<QSettings> settings_;
};

}  // namespace gui
