// Quillon's script reader on any text: every line either reads as a step or
// is named as an error with its number, and nothing reads past the text.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "script/script_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const script::Script script = script::ReadScript(text);
  const int lines = static_cast<int>(text.count(QLatin1Char('\n'))) + 1;
  int previous = 0;
  for (const script::Step& step : script.steps) {
    // Steps come in the order of their lines, each within the text.
    if (step.line <= previous || step.line > lines) std::abort();
    previous = step.line;
    if (step.kind == script::StepKind::Menu && step.menuPath.isEmpty()) std::abort();
  }
  for (const script::ReadError& error : script.errors) {
    if (error.line < 1 || error.line > lines || error.reason.isEmpty()) std::abort();
  }
  return 0;
}
