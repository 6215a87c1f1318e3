// The About box and its version reader: the texts come from the version
// block that the build puts into the executable (this test program carries
// one made as Quillon's is), from files with and without a translation
// table, and the box stays closed when a file cannot be read.

#include <gtest/gtest.h>

#include <QString>
#include <string>

#include "dialogs/about_box.h"
#include "dialogs/file_version_reader.h"
#include "gui/testing/testing.h"
#include "resources/quillon_resources.h"
#include "resources/resource_ids.h"
#include "win/testing/version_file.h"

namespace {

using gui::testing::DialogDriver;
using gui::testing::modalScript;

const QString kBuildVersion =
    QStringLiteral("Version %1.%2%3").arg(VELMORA_VERSION_MAJOR).arg(VELMORA_VERSION_MINOR).arg(VELMORA_VERSION_PATCH);

class AboutBoxTest : public ::testing::Test {
 protected:
  void SetUp() override { quillon::RegisterQuillonResources(); }

  static std::string file(const char* name) { return ::testing::TempDir() + "velmora_about_" + name; }

  // A file with version 2.1.5.7 and strings in the table that `translations`
  // names first (neutral/1252 without any).
  static std::string versionFile(const char* name, std::vector<std::pair<WORD, WORD>> translations) {
    win::testing::VersionFile contents{{2, 1, 5, 7}, translations, 0x0409, 0x04B0,
                                       {{"FileDescription", "Sample Tool"}, {"LegalCopyright", "Notice"}}};
    if (translations.empty()) {
      contents.tableLanguage = 0x0000;
      contents.tableCodePage = 0x04E4;
    }
    const std::string path = file(name);
    EXPECT_TRUE(win::testing::writeElfFile(path, win::testing::versionBlock(contents)));
    return path;
  }

  struct Shown {
    QString caption, versionLine, legalNotice;
  };
  static Shown showAbout(const std::string& fileName = {}) {
    Shown shown;
    modalScript().expectDialog(quillon::IDD_ABOUTBOX, [&](DialogDriver& d) {
      shown = {d.caption(), d.text(quillon::IDC_VERSION_LINE), d.text(quillon::IDC_LEGAL_NOTICE)};
      d.press(gui::IDOK);
    });
    CAboutBox about;
    about.setVersionFileForTesting(QString::fromStdString(fileName));
    EXPECT_EQ(about.DoModal(), gui::IDOK);
    return shown;
  }
};

TEST_F(AboutBoxTest, ShowsTheVersionBlockOfTheProgramsOwnFile) {
  const Shown shown = showAbout();
  EXPECT_EQ(shown.caption, "About Quillon");
  EXPECT_EQ(shown.versionLine, "Quillon " + kBuildVersion);
  EXPECT_EQ(shown.legalNotice, "Copyright (C) Velmora");
}

TEST_F(AboutBoxTest, ReadsTheBuiltExecutable) {
  CFileVersionReader reader;
  ASSERT_EQ(reader.Load(QUILLON_EXECUTABLE), S_OK);
  EXPECT_EQ(reader.GetMajorVersion(), VELMORA_VERSION_MAJOR);
  EXPECT_EQ(reader.GetMinorVersion(), VELMORA_VERSION_MINOR);
  EXPECT_EQ(reader.GetThirdVersionPart(), VELMORA_VERSION_PATCH);
  EXPECT_STREQ(reader.GetStringTablePrefix(), "040904b0\\");
  EXPECT_STREQ(reader.GetVersionString("FileDescription"), "Quillon");
  EXPECT_STREQ(reader.GetVersionString("CompanyName"), "Velmora");
  EXPECT_NE(reader.GetVersionString("FileVersion"), nullptr);
  EXPECT_NE(reader.GetVersionString("ProductVersion"), nullptr);
  EXPECT_NE(reader.GetVersionString("LegalCopyright"), nullptr);
  EXPECT_EQ(reader.GetVersionString("NoSuchName"), nullptr);
}

TEST_F(AboutBoxTest, TranslationTableChoosesTheStringTable) {
  struct Case {
    const char* name;
    std::vector<std::pair<WORD, WORD>> translations;
    const char* prefix;
  };
  const Case cases[] = {
      {"us_unicode", {{0x0409, 0x04B0}, {0x0407, 0x04E4}}, "040904b0\\"},
      {"no_table", {}, "000004E4\\"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = versionFile(c.name, c.translations);
    CFileVersionReader reader;
    ASSERT_EQ(reader.Load(path.c_str()), S_OK);
    EXPECT_STREQ(reader.GetStringTablePrefix(), c.prefix);
    EXPECT_STREQ(reader.GetVersionString("FileDescription"), "Sample Tool");
    EXPECT_EQ(reader.GetFourthVersionPart(), 7);

    // The fourth part is never shown: 2.1.5.7 reads as 2.15.
    const Shown shown = showAbout(path);
    EXPECT_EQ(shown.caption, "About Sample Tool");
    EXPECT_EQ(shown.versionLine, "Sample Tool Version 2.15");
    EXPECT_EQ(shown.legalNotice, "Notice");
  }
}

TEST_F(AboutBoxTest, FileWithoutVersionSectionShowsEmptyTexts) {
  const std::string path = file("no_section");
  ASSERT_TRUE(win::testing::writeElfFile(path, std::nullopt));
  const Shown shown = showAbout(path);
  EXPECT_EQ(shown.caption, "About ");
  EXPECT_EQ(shown.versionLine, " Version 0.00");
  EXPECT_EQ(shown.legalNotice, "");
}

TEST_F(AboutBoxTest, UnreadableFileKeepsTheBoxClosed) {
  CAboutBox about;
  about.setVersionFileForTesting(QString::fromStdString(file("missing")));
  EXPECT_EQ(about.DoModal(), -1);
  EXPECT_TRUE(modalScript().dialogsShown().empty());

  CFileVersionReader reader;
  EXPECT_EQ(reader.Load(file("missing").c_str()), static_cast<HRESULT>(0x80070002));
  EXPECT_EQ(reader.GetVersionString("FileDescription"), nullptr);
}

}  // namespace
