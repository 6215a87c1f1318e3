// The per-user settings store: QSettings under the organisation and the
// executable's base name, values by section and entry.

#include <gtest/gtest.h>

#include <QDir>
#include <QSettings>

#include "gui/application.h"
#include "gui/profile_store.h"
#include "gui/testing/testing.h"

namespace gui {
namespace {

class ProfileStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { app.SetRegistryKey("Velmora"); }
  Application app;
};

TEST_F(ProfileStoreTest, KeepsValuesUnderTheOrganisationAndTheExecutablesName) {
  EXPECT_EQ(Application::appName(), "gui_profile_store_test");
  const QString file = ProfileStore::instance().fileName();
  EXPECT_EQ(file, QDir(qEnvironmentVariable("XDG_CONFIG_HOME")).filePath("Velmora/gui_profile_store_test.conf"));

  EXPECT_TRUE(app.WriteProfileString("Settings", "OPC Server", "Pelkor.DataSample"));
  EXPECT_TRUE(app.WriteProfileString("Settings", "Machine", ""));
  // Written through at once: another reader of the file sees them.
  QSettings reader(file, QSettings::IniFormat);
  EXPECT_EQ(reader.value("Settings/OPC Server").toString(), "Pelkor.DataSample");
  EXPECT_TRUE(reader.contains("Settings/Machine"));
}

TEST_F(ProfileStoreTest, ReadsBackWhatWasWrittenAndDefaultsForTheRest) {
  struct Case {
    QString section;
    QString entry;
    QString written;  // null: never written
    QString defaultValue;
    QString expected;
  };
  const Case cases[] = {
      {"Settings", "OPC Server", QString(), "Pelkor.DataSample", "Pelkor.DataSample"},
      {"Settings", "Machine", "", "fallback", ""},  // an empty value is a value
      {"Settings", "RemoteIPNode", "10.0.0.7", "", "10.0.0.7"},
      {"Other", "RemoteIPNode", QString(), "none", "none"},  // sections are separate
      {"Settings", "Text", QString::fromUtf8("Gr\u00fc\u00dfe, \"quoted\" \\ / ;"), "", QString::fromUtf8("Gr\u00fc\u00dfe, \"quoted\" \\ / ;")},
  };
  for (const Case& c : cases) {
    if (!c.written.isNull()) {
      ASSERT_TRUE(app.WriteProfileString(c.section, c.entry, c.written));
    }
  }
  for (const Case& c : cases) {
    EXPECT_EQ(app.GetProfileString(c.section, c.entry, c.defaultValue), c.expected) << c.entry.toStdString();
  }
}

TEST_F(ProfileStoreTest, NumbersFallBackToTheirDefaultWhenTheValueIsNoNumber) {
  app.WriteProfileInt("Settings", "Count", 42);
  app.WriteProfileString("Settings", "Broken", "4x2");
  EXPECT_EQ(app.GetProfileInt("Settings", "Count", 0), 42);
  EXPECT_EQ(app.GetProfileInt("Settings", "Broken", 7), 7);
  EXPECT_EQ(app.GetProfileInt("Settings", "Missing", -1), -1);
}

TEST_F(ProfileStoreTest, EveryTestStartsWithAnEmptyStore) {
  // The test main clears the store before each test; the values written by
  // the tests above are gone.
  EXPECT_EQ(app.GetProfileString("Settings", "OPC Server", "default"), "default");
}

}  // namespace
}  // namespace gui
