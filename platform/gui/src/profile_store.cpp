#include "gui/profile_store.h"

#include <QCoreApplication>
#include <QSettings>

#include "gui/application.h"

namespace gui {
namespace {

QString keyOf(const QString& section, const QString& entry) { return section + QLatin1Char('/') + entry; }

}  // namespace

ProfileStore& ProfileStore::instance() {
  static ProfileStore store;
  return store;
}

void ProfileStore::configure(const QString& organization, const QString& application) {
  organization_ = organization;
  application_ = application;
  settings_.reset();
}

QSettings& ProfileStore::settings() {
  if (!settings_) {
    if (application_.isEmpty()) application_ = Application::appName();
    if (organization_.isEmpty()) organization_ = QCoreApplication::organizationName();
    settings_ = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, organization_,
                                            application_);
  }
  return *settings_;
}

QString ProfileStore::GetProfileString(const QString& section, const QString& entry, const QString& defaultValue) {
  const QVariant value = settings().value(keyOf(section, entry));
  return value.isValid() ? value.toString() : defaultValue;
}

bool ProfileStore::WriteProfileString(const QString& section, const QString& entry, const QString& value) {
  QSettings& store = settings();
  store.setValue(keyOf(section, entry), value);
  store.sync();
  return store.status() == QSettings::NoError;
}

int ProfileStore::GetProfileInt(const QString& section, const QString& entry, int defaultValue) {
  bool ok = false;
  const int value = settings().value(keyOf(section, entry)).toString().trimmed().toInt(&ok);
  return ok ? value : defaultValue;
}

bool ProfileStore::WriteProfileInt(const QString& section, const QString& entry, int value) {
  return WriteProfileString(section, entry, QString::number(value));
}

void ProfileStore::clear() {
  QSettings& store = settings();
  store.clear();
  store.sync();
}

QString ProfileStore::fileName() { return settings().fileName(); }

}  // namespace gui
