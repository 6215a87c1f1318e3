#include "script/script_runner.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTreeWidget>

#include "app/main_window.h"
#include "app/quillon_app.h"
#include "gui/message_box.h"
#include "gui/testing/testing.h"
#include "resources/resource_ids.h"
#include "script/script_reader.h"
#include "script/script_seam.h"
#include "testing/scratch_registry.h"
#include "workspace/group_view.h"

namespace script {
namespace {

using quillon::testing::ScratchRegistry;

const auto* const kRegistry = ::testing::AddGlobalTestEnvironment(new ScratchRegistry);

bool contains(const QString& text, const char* part) { return text.contains(QString::fromUtf8(part)); }

// Quillon's window as a script finds it: started, its connect dialog
// cancelled, nothing connected.
class ScriptRunnerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ScratchRegistry::hasSampleServer());
    gui::testing::modalScript().expectDialog(quillon::IDD_CONNECT,
                                             [](gui::testing::DialogDriver& d) { d.press(gui::IDCANCEL); });
    ASSERT_TRUE(app.InitInstance());
    frame = app.mainFrame();
    gui::testing::pumpEvents();
  }

  void TearDown() override {
    app.destroyMainWindow();
    gui::testing::pumpEvents();
  }

  int run(const char* text, RunOptions options = {}) {
    const Script script = ReadScript(QString::fromUtf8(text));
    EXPECT_TRUE(script.errors.empty()) << script.errors.front().reason.toStdString();
    RunTarget target;
    target.frame = frame;
    target.resultView = frame->resultView();
    target.groupPanes = {frame->privateGroupView(), frame->publicGroupView()};
    target.connected = [this] { return frame->session().GetServer() != nullptr; };
    target.connectCommand = quillon::ID_CONNECT;
    target.disconnectCommand = quillon::ID_DISCONNECT;
    out.clear();
    err.clear();
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    options.scriptName = QStringLiteral("test");
    const int status = RunScript(script, target, options, outStream, errStream);
    EXPECT_EQ(gui::ModalSeam::runningCount(), 0) << "a dialog or box was left open";
    return status;
  }

  QStringList privateGroups() const {
    QStringList names;
    auto* tree = qobject_cast<QTreeWidget*>(frame->privateGroupView()->widget());
    if (tree == nullptr || tree->topLevelItemCount() == 0) return names;
    for (int i = 0; i < tree->topLevelItem(0)->childCount(); ++i) names << tree->topLevelItem(0)->child(i)->text(0);
    return names;
  }

  CQuillonApp app;
  CMainWindow* frame = nullptr;
  QString out;
  QString err;
};

TEST_F(ScriptRunnerTest, RunsCommandsFromTheMenuAndWritesWhatTheResultPaneShows) {
  EXPECT_EQ(run("connect Pelkor.DataSample\n"
                "expect connected\n"
                "OPCServer/IOPCServer/GetStatus\n"
                "expect S_OK\n"
                "expect function IOPCServer::GetStatus\n"
                "expect line \"dwServerState      : OPC_STATUS_RUNNING\"\n"
                "expect match \"^szVendorInfo +: Pelkor\"\n"),
            kAllHeld)
      << err.toStdString();
  EXPECT_TRUE(err.isEmpty()) << err.toStdString();
  EXPECT_TRUE(contains(out, "line 3: OPCServer/IOPCServer/GetStatus ("));
  EXPECT_TRUE(contains(out, "\n  function: IOPCServer::GetStatus\n  return code: S_OK\n"));
  EXPECT_TRUE(contains(out, "\n  | dwServerState      : OPC_STATUS_RUNNING\n"));
  EXPECT_TRUE(contains(out, "line 6: expect line \"dwServerState      : OPC_STATUS_RUNNING\": passed"));
}

TEST_F(ScriptRunnerTest, AnswersDialogFieldsByTheirLabelsAndChoosesPopupEntries) {
  EXPECT_EQ(run("connect Pelkor.DataSample\n"
                "OPCServer/IOPCServer/AddGroup \"Name of the Group\"=\"G 1\" \"Req. Update Rate\"=250 "
                "\"Create Group\"=Inactive\n"
                "expect S_OK\n"
                "group \"G 1\" \"Get State\"\n"
                "expect line \"UpdateRate      : 250\"\n"
                "expect line \"Active          : FALSE\"\n"
                "group \"G 1\" Add all Items\n"
                "expect S_OK\n"
                "item \"G 1\" \"Simulation.Ramp\" Read\n"
                "expect function IOPCSyncIO::Read\n"
                "expect line \"Read Item 'Simulation.Ramp'\"\n"),
            kAllHeld)
      << err.toStdString() << out.toStdString();
  EXPECT_EQ(privateGroups(), QStringList{QStringLiteral("G 1")});
}

TEST_F(ScriptRunnerTest, ReportsAFailedExpectationWithItsLineAndGoesOn) {
  const char* script =
      "connect Pelkor.DataSample\n"
      "OPCServer/IOPCServer/GetStatus\n"
      "expect E_FAIL\n"
      "expect line \"no such line\"\n"
      "expect S_OK\n";
  EXPECT_EQ(run(script), kSomethingFailed);
  EXPECT_TRUE(contains(err, "test:3: expectation failed: the return code is S_OK (the step at line 2)\n"))
      << err.toStdString();
  EXPECT_TRUE(contains(err, "test:4: expectation failed: no result line reads \"no such line\""));
  EXPECT_TRUE(contains(out, "line 3: expect E_FAIL: FAILED: the return code is S_OK"));
  EXPECT_TRUE(contains(out, "line 5: expect S_OK: passed"));

  // The run ends at the first failure when asked to, with the same status.
  run("disconnect");
  RunOptions options;
  options.stopOnFailure = true;
  EXPECT_EQ(run(script, options), kSomethingFailed);
  EXPECT_TRUE(contains(out, "line 3:"));
  EXPECT_FALSE(contains(out, "line 4:"));
}

TEST_F(ScriptRunnerTest, ADialogTheStepDoesNotAnswerEndsTheRunInsteadOfWaiting) {
  EXPECT_EQ(run("connect Pelkor.DataSample\n"
                "OPCServer/IOPCServer/AddGroup\n"
                "expect S_OK\n"),
            kScriptError);
  EXPECT_TRUE(contains(err, "test:2: the step opens the dialog \"IOPCServer::AddGroup\" and does not answer it; "
                            "give its fields as label=value (fields: Name of the Group, Provided Handle, "
                            "Req. Update Rate, Create Group, Percent Deadband), or button=OK"))
      << err.toStdString();
  EXPECT_FALSE(contains(out, "line 3:"));
  // The dialog was cancelled: the command did not run.
  EXPECT_TRUE(privateGroups().isEmpty());
}

TEST_F(ScriptRunnerTest, StopsAtScriptErrorsWithTheLineAndReason) {
  struct Case {
    const char* script;
    int line;
    const char* reason;
  };
  const Case cases[] = {
      {"connect Pelkor.DataSample\nOPCServer/IOPCServer/AddGroup Name=G1\n", 2,
       "the dialog \"IOPCServer::AddGroup\" has no field \"Name\"; its fields are \"Name of the Group\""},
      {"connect Pelkor.DataSample\nOPCServer/IOPCServer/AddGroup \"Create Group\"=Maybe\n", 2,
       "\"Maybe\" is none of the choices of \"Create Group\" (\"Active\", \"Inactive\")"},
      {"connect Pelkor.DataSample\n"
       "OPCServer/IOPCServer/CreateGroupEnumerator \"Class of groups to be enumerated\"=Everything\n",
       2, "the drop-down \"Class of groups to be enumerated\" has no entry \"Everything\"; its entries are"},
      {"connect Pelkor.DataSample\nOPCServer/IOPCServer/AddGroup \"Name of the Group\"=G1 button=Later\n", 2,
       "has no button \"Later\"; its buttons are \"OK\", \"Cancel\""},
      {"connect Pelkor.DataSample\nOPCServer/IOPCServer/AddGroup \"Req. Update Rate\"=soon\n", 2,
       "stayed open after \"OK\": Please enter"},
      {"connect Pelkor.DataSample\nOPCServer/IOPCServer/AddGroup \"Name of the Group\"=G1\n"
       "group G1 \"Fly Away\"\n",
       3, "the pop-up menu has no entry \"Fly Away\"; its entries are Get Group Type, Get State"},
      // Menu paths are checked before anything runs.
      {"connect Pelkor.DataSample\nOPCServer/IOPCServer/GetStatuss\n", 2,
       "unknown command: \"OPCServer/IOPCServer\" has no entry \"GetStatuss\"; its entries are AddGroup"},
      {"OPCServer/IOPCServer\n", 1, "\"OPCServer/IOPCServer\" is a pop-up; name one of its entries too"},
      {"Exit/Now\n", 1, "\"Exit\" is a command, not a pop-up"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(run(c.script), kScriptError) << c.script;
    const QString prefix = QStringLiteral("test:%1: ").arg(c.line);
    EXPECT_TRUE(err.startsWith(prefix) || err.contains(QLatin1Char('\n') + prefix)) << err.toStdString();
    EXPECT_TRUE(contains(err, c.reason)) << c.script << "gave: " << err.toStdString();
    if (frame->session().GetServer() != nullptr) run("disconnect");
  }
}

TEST_F(ScriptRunnerTest, StepsThatCannotRunNowFailAndTheRunGoesOn) {
  struct Case {
    const char* script;
    const char* reason;
  };
  const Case cases[] = {
      {"OPCServer/IOPCServer/GetStatus\n", "test:1: \"OPCServer/IOPCServer/GetStatus\" is greyed: it cannot run now"},
      {"disconnect\n", "test:1: no server is connected"},
      {"connect Pelkor.DataSample\nconnect Pelkor.DataSample\n", "test:2: a server is connected already"},
      {"connect Pelkor.DataSample\ngroup G9 \"Get State\"\n", "test:2: no group pane shows a group \"G9\""},
      {"connect Pelkor.DataSample\nitem \"Public Simulation\" Simulation.Nothing Read\n",
       "test:2: the group \"Public Simulation\" shows no item \"Simulation.Nothing\""},
      {"connect Pelkor.DataSample\nOPCServer/IOPCServer/GetStatus button=OK\n",
       "test:2: the step answers a dialog, but no dialog opened"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(run(c.script), kSomethingFailed) << c.script;
    EXPECT_TRUE(contains(err, c.reason)) << c.script << "gave: " << err.toStdString();
    if (frame->session().GetServer() != nullptr) run("disconnect");
  }
}

TEST_F(ScriptRunnerTest, RecordsMessageBoxesWithTheirCaptions) {
  EXPECT_EQ(run("connect No.Such.Server\n"
                "expect disconnected\n"
                "expect box \"nothing like it\"\n"
                "expect box \"Cannot connect to OPC Server 'No.Such.Server'\"\n"
                "expect box \"Error : Invalid class string\"\n"),
            kSomethingFailed);
  EXPECT_TRUE(contains(out, "line 4: expect box \"Cannot connect to OPC Server 'No.Such.Server'\": passed"));
  // One line of a box of several will do.
  EXPECT_TRUE(contains(out, "line 5: expect box \"Error : Invalid class string\": passed")) << out.toStdString();
  EXPECT_TRUE(contains(out, "  message box \"")) << out.toStdString();
  EXPECT_TRUE(contains(out, "Function 'CLSIDFromProgID' failed !")) << out.toStdString();
  EXPECT_TRUE(contains(err, "test:3: expectation failed: no message box reads \"nothing like it\"; the last one "
                            "reads \"Cannot connect to OPC Server 'No.Such.Server'\" (the step at line 1)"))
      << err.toStdString();
}

TEST_F(ScriptRunnerTest, WritesWhatADialogHeldOpenShowedBeforeItClosed) {
  // The About box's texts are written by the dialog itself (from the
  // running program's version block); they label no field.
  EXPECT_EQ(run("Help/About Quillon... wait=0 button=OK\n"
                "expect match \" Version [0-9]+\\.[0-9]+$\"\n"),
            kAllHeld)
      << err.toStdString() << out.toStdString();
  EXPECT_TRUE(contains(out, "line 1: Help/About Quillon... wait=0 button=OK (")) << out.toStdString();
  EXPECT_TRUE(contains(out, "\n  dialog \"About ")) << out.toStdString();

  // Fields show as "label: value", with the answers already entered.
  EXPECT_EQ(run("connect Pelkor.DataSample\n"
                "OPCServer/IOPCServer/RemoveGroup \"Handle of the group to be removed\"=12 wait=0 button=Cancel\n"),
            kAllHeld)
      << err.toStdString();
  EXPECT_TRUE(contains(out, "  > Handle of the group to be removed: 12\n"
                            "  > Forces deletion of the group even if references are outstanding: off\n"))
      << out.toStdString();
}

TEST_F(ScriptRunnerTest, ExitEndsTheRunAndLeavesTheWindowToTheProgram) {
  EXPECT_EQ(run("connect Pelkor.DataSample\n"
                "Exit\n"
                "OPCServer/IOPCServer/GetStatus\n"),
            kAllHeld);
  EXPECT_TRUE(contains(out, "line 2: Exit ("));
  EXPECT_FALSE(contains(out, "line 3:"));
  EXPECT_NE(app.mainFrame(), nullptr);
  EXPECT_NE(frame->session().GetServer(), nullptr);
}

TEST_F(ScriptRunnerTest, WritesOneJsonObjectPerStepWithTheCodeAsNumber) {
  RunOptions options;
  options.format = OutputFormat::Json;
  EXPECT_EQ(run("connect Pelkor.DataSample\n"
                "OPCServer/IOPCServer/RemoveGroup \"Handle of the group to be removed\"=99\n"
                "expect E_INVALIDARG\n",
                options),
            kAllHeld)
      << err.toStdString();
  const QStringList lines = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 3);
  std::vector<QJsonObject> objects;
  for (const QString& line : lines) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(line.toUtf8(), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
    objects.push_back(document.object());
  }
  const QJsonObject& remove = objects[1];
  EXPECT_EQ(remove.value("line").toInt(), 2);
  EXPECT_EQ(remove.value("function").toString(), QStringLiteral("IOPCServer::RemoveGroup"));
  EXPECT_EQ(remove.value("returnCode").toString(), QStringLiteral("E_INVALIDARG"));
  EXPECT_EQ(remove.value("hresult").toDouble(), 2147942487.0);  // 0x80070057
  EXPECT_EQ(remove.value("description").toString(), QStringLiteral("The parameter is incorrect."));
  EXPECT_EQ(remove.value("lines").toArray().at(0).toString(),
            QStringLiteral("Cannot remove private group with handle '99'"));
  EXPECT_TRUE(remove.value("messageBoxes").toArray().isEmpty());
  EXPECT_TRUE(objects[2].value("passed").toBool());
  EXPECT_FALSE(objects[0].contains("function"));  // connecting shows nothing in the pane
}

// The seam alone: questions in message boxes are answered only by box=.
TEST(ScriptSeamTest, AnswersMessageBoxesFromTheStepOnly) {
  struct Case {
    const char* boxes;  // the step's box answers, blank-separated
    UINT type;
    int answer;
    const char* error;  // a part of the script error, or empty
  };
  const Case cases[] = {
      {"", gui::MB_OK, gui::IDOK, ""},
      {"", gui::MB_YESNO, gui::IDNO, "asks a question (Yes, No) that the step does not answer"},
      {"box=Yes", gui::MB_YESNO, gui::IDYES, ""},
      {"box=no", gui::MB_YESNOCANCEL, gui::IDNO, ""},
      {"box=Retry", gui::MB_YESNO, gui::IDNO, "box=Retry does not answer the message box"},
      {"box=Cancel", gui::MB_OKCANCEL, gui::IDCANCEL, ""},
  };
  for (const Case& c : cases) {
    const Script script = ReadScript(QStringLiteral("disconnect ") + QString::fromUtf8(c.boxes));
    ASSERT_EQ(script.steps.size(), 1u);
    StepReport report;
    report.step = &script.steps.front();
    ScriptSeam seam;
    gui::ModalSeam& previous = gui::ModalSeam::current();
    gui::ModalSeam::install(&seam);
    seam.beginStep(script.steps.front(), report);
    const int answer = gui::MessageBox(nullptr, QStringLiteral("Really?"), QStringLiteral("Caption"), c.type);
    seam.endStep();
    gui::ModalSeam::install(&previous);
    EXPECT_EQ(answer, c.answer) << c.boxes;
    ASSERT_EQ(report.boxes.size(), 1u);
    EXPECT_EQ(report.boxes.front().caption, QStringLiteral("Caption"));
    EXPECT_EQ(report.boxes.front().text, QStringLiteral("Really?"));
    if (*c.error == '\0') {
      EXPECT_TRUE(report.error.isEmpty()) << c.boxes << ": " << report.error.toStdString();
    } else {
      EXPECT_TRUE(contains(report.error, c.error)) << c.boxes << ": " << report.error.toStdString();
    }
  }
}

}  // namespace
}  // namespace script
