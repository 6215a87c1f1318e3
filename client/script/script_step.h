#pragma once

// A script as the reader hands it to the runner: one step per line that
// does something, each with the number of the line it came from, so that
// every report can point at the line.

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "win/types.h"

namespace script {

// One "label=value" answer to a field of the dialog a command opens.
struct FieldAnswer {
  QString label;
  QString value;
};

// What an "expect" line checks of the step before it.
enum class ExpectKind {
  Code,          // the return code, by name or number
  Line,          // a result line with exactly this text
  Match,         // a result line that the regular expression matches
  Box,           // a message box with exactly this text
  Function,      // the function name
  Connected,     // a server is connected
  Disconnected,  // no server is connected
};

struct Expectation {
  ExpectKind kind = ExpectKind::Code;
  QString text;      // Line, Match, Box, Function; the code as written for Code
  HRESULT code = 0;  // Code
};

enum class StepKind {
  Connect,     // connect [PROGID [MACHINE]]
  Disconnect,  // disconnect
  Menu,        // a command by its menu path
  Group,       // group "NAME" ENTRY: an entry of a group's pop-up
  Item,        // item "GROUP" "ITEM" ENTRY: an entry of an item's pop-up
  Wait,        // wait MS
  Expect,      // expect ...
};

struct Step {
  StepKind kind = StepKind::Menu;
  int line = 0;
  QString source;  // the line as written, without surrounding blanks

  QStringList menuPath;  // Menu: the entries from the menu bar down
  QString group;         // Group, Item
  QString item;          // Item
  QString entry;         // Group, Item: the pop-up entry
  std::optional<QString> progId;   // Connect
  std::optional<QString> machine;  // Connect

  std::vector<FieldAnswer> answers;  // the dialog's fields
  std::optional<QString> button;     // the button that closes the dialog (default OK)
  std::optional<int> dialogWaitMs;  // keep the dialog open this long before the button
  QStringList boxAnswers;            // answers to the message boxes, in order

  int waitMs = 0;  // Wait
  Expectation expectation;

  // Whether the step says anything about a dialog.
  bool answersDialog() const { return !answers.empty() || button.has_value() || dialogWaitMs.has_value(); }
};

struct ReadError {
  int line = 0;
  QString reason;
};

struct Script {
  std::vector<Step> steps;
  std::vector<ReadError> errors;  // empty when every line could be read
};

}  // namespace script
