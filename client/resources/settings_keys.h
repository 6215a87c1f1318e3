#pragma once

// The values Quillon keeps in the per-user settings store, all strings in
// one section, each with the default it reads as while it was never written.

#include <QString>

namespace quillon {

struct SettingKey {
  const char* name;
  const char* defaultValue;
};

inline constexpr char kSettingsSection[] = "Settings";
// The connect dialog's server (ProgID) and machine texts.
inline constexpr SettingKey kOpcServerSetting{"OPC Server", "Pelkor.DataSample"};
inline constexpr SettingKey kMachineSetting{"Machine", ""};
// The remote node of the server-selection dialog's machine tree.
inline constexpr SettingKey kRemoteIpNodeSetting{"RemoteIPNode", ""};

QString ReadSetting(const SettingKey& key);
void WriteSetting(const SettingKey& key, const QString& value);

}  // namespace quillon
