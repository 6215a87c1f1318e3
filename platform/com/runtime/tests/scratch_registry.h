#pragma once

// A registry store of its own for a test program: a scratch folder with
// VELMORA_REGISTRY pointing at a file in it while the object lives, and the
// regsvr tool to register the test server there.

#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

class ScratchRegistry {
 public:
  ScratchRegistry() {
    char pattern[] = "/tmp/velmora-com-XXXXXX";
    if (mkdtemp(pattern) != nullptr) dir_ = pattern;
    setenv("VELMORA_REGISTRY", (dir_ + "/registry.reg").c_str(), 1);
  }
  ~ScratchRegistry() {
    unsetenv("VELMORA_REGISTRY");
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
  }
  ScratchRegistry(const ScratchRegistry&) = delete;
  ScratchRegistry& operator=(const ScratchRegistry&) = delete;

  bool ready() const { return !dir_.empty(); }

 private:
  std::string dir_;
};

#ifdef REGSVR_PATH
// Runs regsvr with arguments in this process's environment (and so against
// its scratch registry); returns its exit status, or -1 if it did not run.
inline int runRegsvr(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), REGSVR_PATH);
  std::vector<char*> argv;
  for (auto& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  pid_t child = 0;
  if (posix_spawn(&child, REGSVR_PATH, nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}
#endif
