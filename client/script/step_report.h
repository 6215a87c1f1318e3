#pragma once

// What one step of a script did, as the runner writes it out: the result
// pane's function name, return code (short form and description) and
// result lines, every message box with its caption, and whether the step
// or its expectation failed.

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <optional>
#include <vector>

#include "script/script_step.h"

namespace script {

struct MessageBoxRecord {
  QString caption;
  QString text;
};

struct StepReport {
  const Step* step = nullptr;
  qint64 elapsedMs = 0;

  // The result pane after the step; hasResult is false when the step
  // showed nothing there.
  bool hasResult = false;
  QString function;
  QString returnCode;   // the short form, as the pane shows it
  QString description;  // the long form, the tool tip of the pane's button
  std::optional<HRESULT> code;
  QStringList lines;

  std::vector<MessageBoxRecord> boxes;

  // A dialog the step kept open for a while (wait=MS): what it showed
  // before it was closed.
  QString dialogCaption;
  QStringList dialogLines;

  QString failure;  // the step could not do what it asked (counts as a failed expectation)
  QString error;    // a script error: the script stops here

  // Expect steps.
  bool passed = false;
  QString reason;  // why an expectation failed
};

enum class OutputFormat { Text, Json };

// Writes one step: a few lines of text, or one JSON object on one line.
void WriteStepReport(QTextStream& out, const StepReport& report, OutputFormat format);

}  // namespace script
