// Runs the example scripts as a user runs them, with the quillon program
// of this build against the sample server, and checks what they write and
// their exit status.

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include "testing/scratch_registry.h"

namespace {

using quillon::testing::ScratchRegistry;

const auto* const kRegistry = ::testing::AddGlobalTestEnvironment(new ScratchRegistry);

struct ProgramRun {
  int status = -1;
  QString out;
  QString err;
};

// The registry, settings and runtime folders of the test reach the program
// through the environment it inherits.
ProgramRun runQuillon(const QStringList& arguments, const QString& input = {},
               const QProcessEnvironment& extra = QProcessEnvironment()) {
  QProcess process;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(extra);
  process.setProcessEnvironment(environment);
  process.start(QStringLiteral(QUILLON_PROGRAM), arguments);
  if (!input.isNull()) {
    process.write(input.toUtf8());
    process.closeWriteChannel();
  }
  ProgramRun run;
  if (!process.waitForFinished(120000)) {
    process.kill();
    process.waitForFinished();
    ADD_FAILURE() << "quillon did not finish: " << arguments.join(' ').toStdString();
    return run;
  }
  run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  run.out = QString::fromUtf8(process.readAllStandardOutput());
  run.err = QString::fromUtf8(process.readAllStandardError());
  return run;
}

QString example(const char* name) { return QStringLiteral(EXAMPLES_FOLDER "/") + QString::fromUtf8(name); }

TEST(ExamplesTest, EveryExampleHoldsAgainstTheSampleServer) {
  ASSERT_TRUE(ScratchRegistry::hasSampleServer());
  struct Case {
    const char* script;
    const char* manyItems;           // the size of the ManyItems branch, or null
    std::vector<const char*> lines;  // lines the output must hold
  };
  const Case cases[] = {
      {"server_commands.quillon",
       nullptr,
       {"  function: IOPCServer::GetStatus", "  | dwServerState      : OPC_STATUS_RUNNING",
        "  function: IOPCItemProperties::LookupItemIDs", "expect disconnected: passed"}},
      {"group_items.quillon",
       nullptr,
       {"  function: IOPCItemMgt::AddItems", "  function: IOPCGroupStateMgt::CloneGroup",
        "  | Name            : Line3", "  function: IOPCSyncIO::Write", "expect disconnected: passed"}},
      {"load_10000_items.quillon",
       "10000",
       {"  | Total number of items added : 10035", "  | Duration of AddItems() : ",
        "  | 10 read access for 10034 items takes "}},
      {"advise_watch.quillon",
       nullptr,
       {"line 13: item \"Watch\" \"Simulation.Counter\" \"Advise Data\" wait=10000 button=Close (",
        "  dialog \"Advise Data WithTimestamps\":", "  > Number of Callbacks: "}},
  };
  for (const Case& c : cases) {
    QProcessEnvironment extra;
    if (c.manyItems != nullptr) extra.insert(QStringLiteral("VELMORA_SAMPLE_MANY_ITEMS"), c.manyItems);
    const ProgramRun run = runQuillon({QStringLiteral("--run"), example(c.script)}, {}, extra);
    EXPECT_EQ(run.status, 0) << c.script << "\n" << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty()) << c.script << "\n" << run.err.toStdString();
    const QStringList lines = run.out.split(QLatin1Char('\n'));
    for (const char* line : c.lines) {
      const bool found = std::any_of(lines.begin(), lines.end(),
                                     [&](const QString& candidate) { return candidate.contains(line); });
      EXPECT_TRUE(found) << c.script << " wrote no line " << line;
    }
    EXPECT_FALSE(run.out.contains(QStringLiteral("FAILED"))) << c.script;
  }
}

TEST(ExamplesTest, JsonOutputIsOneObjectPerStep) {
  const ProgramRun run = runQuillon(
      {QStringLiteral("--run"), example("server_commands.quillon"), QStringLiteral("--format"), QStringLiteral("json")});
  EXPECT_EQ(run.status, 0) << run.err.toStdString();
  const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  EXPECT_GT(lines.size(), 50);
  for (const QString& line : lines) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(line.toUtf8(), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
    EXPECT_TRUE(document.isObject()) << line.toStdString();
  }
}

TEST(ExamplesTest, TellsScriptErrorsAndFailuresByExitStatus) {
  struct Case {
    const char* script;
    QStringList arguments;
    int status;
    const char* err;  // a part of the standard error output
  };
  const Case cases[] = {
      {"connect Pelkor.DataSample\nexpect connected\n", {}, 0, ""},
      {"connect Pelkor.DataSample\nOPCServer/IOPCServer/GetStatus\nexpect E_FAIL\n", {}, 1,
       "<stdin>:3: expectation failed: the return code is S_OK (the step at line 2)"},
      {"connect Pelkor.DataSample\nwait soon\n", {}, 2, "<stdin>:2: use: wait MILLISECONDS"},
      {"connect Pelkor.DataSample\nOPCServer/IOPCServer/AddGroup\n", {}, 2,
       "<stdin>:2: the step opens the dialog \"IOPCServer::AddGroup\" and does not answer it"},
      // connect takes the server of the command line when the script names none.
      {"connect\nexpect connected\n", {QStringLiteral("--server"), QStringLiteral("Pelkor.DataSample.Minimal")}, 0, ""},
      {"connect\n", {QStringLiteral("--format"), QStringLiteral("yaml")}, 2, "--format takes text or json"},
  };
  for (const Case& c : cases) {
    const ProgramRun run = runQuillon(QStringList{QStringLiteral("--run"), QStringLiteral("-")} << c.arguments,
                               QString::fromUtf8(c.script));
    EXPECT_EQ(run.status, c.status) << c.script << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QString::fromUtf8(c.err))) << c.script << " wrote " << run.err.toStdString();
  }
}

TEST(ExamplesTest, HelpNamesTheScriptOptions) {
  const ProgramRun run = runQuillon({QStringLiteral("--help")});
  EXPECT_EQ(run.status, 0);
  for (const char* option : {"--run SCRIPT", "--format text|json", "--stop-on-failure"}) {
    EXPECT_TRUE(run.out.contains(QString::fromUtf8(option))) << option;
  }
}

}  // namespace
