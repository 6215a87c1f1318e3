#pragma once

// The environment of a GUI test binary, set up before the Qt application
// exists: the offscreen platform unless another one was asked for, and a
// private scratch folder (mode 0700) for XDG_RUNTIME_DIR and for the
// settings (XDG_CONFIG_HOME), removed again at the end. The test binary sets
// these itself because test discovery runs it at build time with at most
// one variable passed in.

#include <QString>

namespace gui::testing {

class TestEnvironment {
 public:
  TestEnvironment();
  ~TestEnvironment();
  TestEnvironment(const TestEnvironment&) = delete;
  TestEnvironment& operator=(const TestEnvironment&) = delete;

  const QString& scratchFolder() const { return scratch_; }

 private:
  QString scratch_;
};

// Removes every value from the settings store the program uses.
void clearSettings();

}  // namespace gui::testing
