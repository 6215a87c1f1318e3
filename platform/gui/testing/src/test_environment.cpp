#include "gui/testing/test_environment.h"

#include <QDir>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>

#include "gui/profile_store.h"

namespace gui::testing {

TestEnvironment::TestEnvironment() {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/velmora-gui-test-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) {  // mkdtemp makes it 0700
    std::perror("mkdtemp");
    std::abort();
  }
  scratch_ = QString::fromStdString(pattern);
  const std::string runtime = pattern + "/runtime";
  const std::string config = pattern + "/config";
  if (mkdir(runtime.c_str(), 0700) != 0 || mkdir(config.c_str(), 0700) != 0) {
    std::perror("mkdir");
    std::abort();
  }
  setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
  setenv("XDG_CONFIG_HOME", config.c_str(), 1);
}

TestEnvironment::~TestEnvironment() {
  if (!scratch_.isEmpty()) QDir(scratch_).removeRecursively();
}

void clearSettings() { ProfileStore::instance().clear(); }

}  // namespace gui::testing
