#include "resources/settings_keys.h"

#include "gui/profile_store.h"

namespace quillon {

QString ReadSetting(const SettingKey& key) {
  return gui::ProfileStore::instance().GetProfileString(kSettingsSection, key.name, key.defaultValue);
}

void WriteSetting(const SettingKey& key, const QString& value) {
  gui::ProfileStore::instance().WriteProfileString(kSettingsSection, key.name, value);
}

}  // namespace quillon
