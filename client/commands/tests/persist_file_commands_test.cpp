// The commands of the "IPersist&File" pop-up against the sample server: the
// answers of IsDirty and GetCurFile before and after a save, and the
// server's refusals of files it cannot load.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "command_test.h"
#include "resources/parameter_dialog_ids.h"
#include "resources/resource_ids.h"

namespace quillon::testing {
namespace {

using gui::testing::DialogDriver;

class PersistFileCommandsTest : public CommandTest {
 protected:
  std::function<void(DialogDriver&)> file(const std::string& name, bool remember = false) {
    return [name, remember](DialogDriver& d) {
      d.setText(IDC_FILE_NAME, QString::fromStdString(name));
      if (remember) d.check(IDC_REMEMBER);
      d.press(gui::IDOK);
    };
  }
  std::string path(const char* name) const { return QDir(folder.path()).filePath(name).toStdString(); }

  QTemporaryDir folder;
};

TEST_F(PersistFileCommandsTest, AFreshServerIsCleanAndHasNoCurrentFile) {
  SetUpConnected();
  EXPECT_EQ(run(ID_IPERSISTFILE_ISDIRTY), (ResultPane{"IPersistFile::IsDirty", "S_FALSE", {}}));
  EXPECT_FALSE(detail().empty());
  // The server hands out a default name with S_FALSE; it is not shown.
  EXPECT_EQ(run(ID_IPERSISTFILE_GETCURFILE), (ResultPane{"IPersistFile::GetCurFile", "S_FALSE", {}}));
}

TEST_F(PersistFileCommandsTest, SavingUnderANewNameMakesItTheCurrentFileAndTheConfigurationClean) {
  SetUpConnected();
  run(ID_IOPCSERVER_ADDGROUP, IDD_ADD_GROUP, [](DialogDriver& d) {
    d.setText(IDC_GROUP_NAME, "Boiler");
    d.press(gui::IDOK);
  });
  EXPECT_EQ(run(ID_IPERSISTFILE_ISDIRTY), (ResultPane{"IPersistFile::IsDirty", "S_OK", {}}));

  // A copy elsewhere leaves the current file and the changes as they were.
  EXPECT_EQ(run(ID_IPERSISTFILE_SAVE, IDD_PERSIST_FILE, file(path("copy.cfg"))),
            (ResultPane{"IPersistFile::Save", "S_OK", {}}));
  EXPECT_EQ(run(ID_IPERSISTFILE_GETCURFILE), (ResultPane{"IPersistFile::GetCurFile", "S_FALSE", {}}));
  EXPECT_EQ(run(ID_IPERSISTFILE_ISDIRTY).returnCode, "S_OK");

  const std::string current = path("plant.cfg");
  EXPECT_EQ(run(ID_IPERSISTFILE_SAVE, IDD_PERSIST_FILE, file(current, true)),
            (ResultPane{"IPersistFile::Save", "S_OK", {}}));
  EXPECT_TRUE(QFile::exists(QString::fromStdString(current)));
  EXPECT_EQ(run(ID_IPERSISTFILE_ISDIRTY).returnCode, "S_FALSE");
  EXPECT_EQ(run(ID_IPERSISTFILE_GETCURFILE),
            (ResultPane{"IPersistFile::GetCurFile", "S_OK", {"The current file name is :", current}}));

  // The dialog offers the name used last.
  EXPECT_EQ(run(ID_IPERSISTFILE_SAVECOMPLETED, IDD_PERSIST_FILE,
                [&](DialogDriver& d) {
                  EXPECT_EQ(d.text(IDC_FILE_NAME).toStdString(), current);
                  d.press(gui::IDOK);
                }),
            (ResultPane{"IPersistFile::SaveCompleted", "S_OK", {}}));
  EXPECT_EQ(run(ID_IPERSISTFILE_LOAD, IDD_PERSIST_FILE, file(path("copy.cfg"))),
            (ResultPane{"IPersistFile::Load", "S_OK", {}}));
  EXPECT_EQ(run(ID_IPERSISTFILE_GETCURFILE).lines.at(1), path("copy.cfg"));
}

TEST_F(PersistFileCommandsTest, LoadShowsWhyTheServerRefusesAFile) {
  SetUpConnected();
  QFile garbage(QString::fromStdString(path("garbage.cfg")));
  ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
  garbage.write("this is no configuration\n");
  garbage.close();

  EXPECT_EQ(run(ID_IPERSISTFILE_LOAD, IDD_PERSIST_FILE, file(path("missing.cfg"))),
            (ResultPane{"IPersistFile::Load", "Function Failed : 80030002h", {}}));
  EXPECT_EQ(run(ID_IPERSISTFILE_LOAD, IDD_PERSIST_FILE, file(path("garbage.cfg"))),
            (ResultPane{"IPersistFile::Load", "OPC_E_INVALIDCONFIGFILE", {}}));
  EXPECT_EQ(detail(), "The configuration file has an invalid format.");
  EXPECT_EQ(run(ID_IPERSISTFILE_GETCURFILE).returnCode, "S_FALSE");
}

TEST_F(PersistFileCommandsTest, CancellingADialogCallsNothingAndShowsNothing) {
  SetUpConnected();
  for (UINT command : {ID_IPERSISTFILE_LOAD, ID_IPERSISTFILE_SAVE, ID_IPERSISTFILE_SAVECOMPLETED}) {
    blankPane();
    EXPECT_EQ(run(command, IDD_PERSIST_FILE, [](DialogDriver& d) { d.press(gui::IDCANCEL); }), ResultPane{})
        << command;
  }
}

}  // namespace
}  // namespace quillon::testing
