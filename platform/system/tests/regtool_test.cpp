// regtool as a user runs it: each case is one command line and what it
// prints and returns.

#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/wait.h>

#include <string>

#include "scratch_registry.h"
#include "velmora/version.h"

namespace {

class RegtoolTest : public ScratchRegistry {
 protected:
  struct Outcome {
    int status;
    std::string output;
  };

  // Runs regtool with arguments (already quoted for the shell); standard
  // error is merged into the output.
  static Outcome run(const std::string& arguments) {
    const std::string command = std::string(REGTOOL_PATH) + " " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    Outcome outcome{-1, {}};
    if (!pipe) return outcome;
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) outcome.output.append(buffer, got);
    const int status = pclose(pipe);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
  }
};

TEST_F(RegtoolTest, ImportsListsExportsAndChecks) {
  const std::string input = dir() + "/input.reg";
  writeFile(input, std::string(kHeader) +
                       "[HKEY_CLASSES_ROOT\\Pelkor.DataSample]\n@=\"Sample\"\n\"Vendor\"=\"Pelkor\"\n"
                       "[HKEY_CLASSES_ROOT\\Pelkor.DataSample\\OPC]\n"
                       "[HKEY_CLASSES_ROOT\\Pelkor.DataSample\\CLSID]\n@=\"{A1}\"\n");
  const std::string output = dir() + "/output.reg";
  struct Case {
    std::string arguments;
    int status;
    std::string output;
  } cases[] = {
      {"path", 0, storePath() + "\n"},
      {"import " + input, 0, ""},
      {"list", 0, "Pelkor.DataSample\\\n"},
      {"list 'HKEY_CLASSES_ROOT\\pelkor.datasample'", 0,
       "; from: user store\n@=\"Sample\"\n\"Vendor\"=\"Pelkor\"\nCLSID\\\nOPC\\\n"},
      {"list 'HKCR\\Pelkor.DataSample\\CLSID'", 0, "; from: user store\n@=\"{A1}\"\n"},
      {"list Missing", 1, "regtool: cannot open \"Missing\": The system cannot find the file specified.\n"},
      {"export - 'Pelkor.DataSample\\CLSID'", 0,
       std::string(kHeader) + "[HKEY_CLASSES_ROOT\\Pelkor.DataSample\\CLSID]\n@=\"{A1}\"\n\n"},
      {"export " + output, 0, ""},
      {"check", 0, ""},
      {"import " + dir() + "/missing.reg", 1,
       "regtool: cannot import " + dir() + "/missing.reg: The system cannot find the file specified.\n"},
      {"", 2, ""},
      {"frobnicate", 2, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    const Outcome outcome = run(c.arguments);
    EXPECT_EQ(outcome.status, c.status);
    if (c.status != 2) {
      EXPECT_EQ(outcome.output, c.output);
    }
  }
  EXPECT_EQ(readFile(output), readStore());
}

TEST_F(RegtoolTest, ReportsUnreadableLinesWithTheirNumbers) {
  const std::string input = dir() + "/bad.reg";
  writeFile(input, std::string(kHeader) + "[HKEY_CLASSES_ROOT\\K]\n\"n\"=dword:1\n");
  Outcome outcome = run("import " + input);
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.output, input + ":4: only string values are supported\n"
                            "regtool: nothing imported: " + input + " has unreadable lines\n");

  writeStore(std::string(kHeader) + "[HKEY_CLASSES_ROOT\\K\n");
  outcome = run("check");
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.output, storePath() + ":3: the key section is not closed by \"]\"\n");
}

TEST_F(RegtoolTest, SystemWritesTheMachineStoreAndListSaysWhereKeysComeFrom) {
  const std::string machineStore = dir() + "/machine.reg";
  setenv("VELMORA_SYSTEM_REGISTRY", machineStore.c_str(), 1);
  const std::string machineInput = dir() + "/machine-input.reg";
  writeFile(machineInput, std::string(kHeader) + "[HKEY_CLASSES_ROOT\\Shared]\n\"Who\"=\"machine\"\n"
                                                   "[HKEY_CLASSES_ROOT\\MachineOnly]\n");
  const std::string userInput = dir() + "/user-input.reg";
  writeFile(userInput, std::string(kHeader) + "[HKEY_CLASSES_ROOT\\Shared]\n\"Who\"=\"user\"\n");
  struct Case {
    std::string arguments;
    int status;
    std::string output;
  } cases[] = {
      {"--system path", 0, machineStore + "\n"},
      {"--system import " + machineInput, 0, ""},
      {"import " + userInput, 0, ""},
      {"list Shared", 0, "; from: user store over machine store\n\"Who\"=\"user\"\n"},
      {"list MachineOnly", 0, "; from: machine store\n"},
      {"--system check", 0, ""},
      {"--version", 0, "regtool (Velmora) " VELMORA_VERSION "\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    const Outcome outcome = run(c.arguments);
    EXPECT_EQ(outcome.status, c.status);
    EXPECT_EQ(outcome.output, c.output);
  }
  EXPECT_EQ(readStore().find("MachineOnly"), std::string::npos);
  EXPECT_NE(readFile(machineStore).find("MachineOnly"), std::string::npos);
  unsetenv("VELMORA_SYSTEM_REGISTRY");
}

}  // namespace
