#pragma once

// Quillon connected to the sample server, with what a command test needs:
// run a menu command (its dialog answered through the modal seam) and read
// the whole result pane back.

#include <ostream>
#include <string>
#include <vector>

#include "quillon_fixture.h"

namespace quillon::testing {

// What the result pane shows: the function name, the short return code and
// the result lines.
struct ResultPane {
  std::string function;
  std::string returnCode;
  std::vector<std::string> lines;

  bool operator==(const ResultPane&) const = default;
};
void PrintTo(const ResultPane& pane, std::ostream* out);

class CommandTest : public QuillonTest {
 protected:
  // Connects to the sample server (or a fault variant).
  void SetUpConnected(const char* progId = "Pelkor.DataSample");

  // Chooses the command from the menu; fails the test when it cannot be
  // chosen. Returns the pane afterwards.
  ResultPane run(UINT command);
  // As above, with the command's dialog answered by `script`.
  ResultPane run(UINT command, UINT dialogTemplate, std::function<void(gui::testing::DialogDriver&)> script);
  ResultPane pane() const;
  // The long description behind the return code (its tool tip).
  std::string detail() const;
  // Clears the pane, so that a command that shows nothing can be told apart.
  void blankPane();
};

}  // namespace quillon::testing
