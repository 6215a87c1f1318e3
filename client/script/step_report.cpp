#include "script/step_report.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace script {
namespace {

// Continuation lines of a multi-line text are indented under the first.
QString indented(const QString& text, const QString& indent) {
  QString copy = text;
  copy.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  copy.replace(QLatin1Char('\n'), QLatin1Char('\n') + indent);
  return copy;
}

void writeText(QTextStream& out, const StepReport& report) {
  const Step& step = *report.step;
  if (step.kind == StepKind::Expect) {
    out << "line " << step.line << ": " << step.source << ": "
        << (report.passed ? QStringLiteral("passed") : QStringLiteral("FAILED: ") + report.reason) << '\n';
    return;
  }
  out << "line " << step.line << ": " << step.source << " (" << report.elapsedMs << " ms)\n";
  if (report.hasResult) {
    out << "  function: " << report.function << '\n';
    out << "  return code: " << report.returnCode << '\n';
    if (!report.description.isEmpty()) out << "  description: " << indented(report.description, "    ") << '\n';
    for (const QString& line : report.lines) out << "  | " << line << '\n';
  }
  if (!report.dialogCaption.isEmpty()) {
    out << "  dialog \"" << report.dialogCaption << "\":\n";
    for (const QString& line : report.dialogLines) out << "  > " << line << '\n';
  }
  for (const MessageBoxRecord& box : report.boxes) {
    out << "  message box \"" << box.caption << "\": " << indented(box.text, "    ") << '\n';
  }
  if (!report.failure.isEmpty()) out << "  FAILED: " << report.failure << '\n';
  if (!report.error.isEmpty()) out << "  SCRIPT ERROR: " << report.error << '\n';
}

void writeJson(QTextStream& out, const StepReport& report) {
  const Step& step = *report.step;
  QJsonObject object;
  object.insert(QStringLiteral("line"), step.line);
  object.insert(QStringLiteral("step"), step.source);
  if (step.kind == StepKind::Expect) {
    object.insert(QStringLiteral("passed"), report.passed);
    if (!report.passed) object.insert(QStringLiteral("reason"), report.reason);
  } else {
    object.insert(QStringLiteral("ms"), static_cast<double>(report.elapsedMs));
    if (report.hasResult) {
      object.insert(QStringLiteral("function"), report.function);
      object.insert(QStringLiteral("returnCode"), report.returnCode);
      object.insert(QStringLiteral("description"), report.description);
      // The 32 bits of the code as an unsigned number, as it is written in hexadecimal.
      if (report.code) object.insert(QStringLiteral("hresult"), static_cast<double>(static_cast<DWORD>(*report.code)));
      object.insert(QStringLiteral("lines"), QJsonArray::fromStringList(report.lines));
    }
    if (!report.dialogCaption.isEmpty()) {
      object.insert(QStringLiteral("dialog"),
                    QJsonObject{{QStringLiteral("caption"), report.dialogCaption},
                                {QStringLiteral("lines"), QJsonArray::fromStringList(report.dialogLines)}});
    }
    QJsonArray boxes;
    for (const MessageBoxRecord& box : report.boxes) {
      boxes.append(QJsonObject{{QStringLiteral("caption"), box.caption}, {QStringLiteral("text"), box.text}});
    }
    object.insert(QStringLiteral("messageBoxes"), boxes);
    if (!report.failure.isEmpty()) object.insert(QStringLiteral("failure"), report.failure);
    if (!report.error.isEmpty()) object.insert(QStringLiteral("error"), report.error);
  }
  out << QJsonDocument(object).toJson(QJsonDocument::Compact) << '\n';
}

}  // namespace

void WriteStepReport(QTextStream& out, const StepReport& report, OutputFormat format) {
  if (format == OutputFormat::Json) {
    writeJson(out, report);
  } else {
    writeText(out, report);
  }
  out.flush();
}

}  // namespace script
