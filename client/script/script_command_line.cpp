#include "script/script_command_line.h"

#include <QFile>
#include <cstring>

namespace script {

std::optional<ScriptInvocation> ScriptInvocationOf(int argc, char** argv, QString& error) {
  error.clear();
  ScriptInvocation invocation;
  bool run = false;
  for (int i = 1; i < argc; ++i) {
    const char* argument = argv[i];
    const bool hasValue = i + 1 < argc;
    auto value = [&]() { return QString::fromLocal8Bit(argv[++i]); };
    if (std::strcmp(argument, "--run") == 0 || std::strcmp(argument, "--server") == 0 ||
        std::strcmp(argument, "--machine") == 0 || std::strcmp(argument, "--format") == 0) {
      if (!hasValue) {
        error = QStringLiteral("%1 needs a value").arg(QString::fromLatin1(argument));
        return std::nullopt;
      }
    }
    if (std::strcmp(argument, "--run") == 0) {
      run = true;
      invocation.scriptPath = value();
    } else if (std::strcmp(argument, "--server") == 0) {
      invocation.options.server = value();
    } else if (std::strcmp(argument, "--machine") == 0) {
      invocation.options.machine = value();
    } else if (std::strcmp(argument, "--format") == 0) {
      const QString format = value();
      if (format == QLatin1String("text")) {
        invocation.options.format = OutputFormat::Text;
      } else if (format == QLatin1String("json")) {
        invocation.options.format = OutputFormat::Json;
      } else {
        error = QStringLiteral("--format takes text or json, not %1").arg(format);
        return std::nullopt;
      }
    } else if (std::strcmp(argument, "--stop-on-failure") == 0) {
      invocation.options.stopOnFailure = true;
    }
  }
  if (!run) return std::nullopt;
  invocation.options.scriptName =
      invocation.scriptPath == QLatin1String("-") ? QStringLiteral("<stdin>") : invocation.scriptPath;
  return invocation;
}

bool ReadScriptText(const QString& path, QString& text, QString& error) {
  QFile file;
  const bool opened = path == QLatin1String("-") ? file.open(stdin, QIODevice::ReadOnly)
                                                 : (file.setFileName(path), file.open(QIODevice::ReadOnly));
  if (!opened) {
    error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
    return false;
  }
  text = QString::fromUtf8(file.readAll());
  // Editors on some systems start a UTF-8 file with a byte order mark.
  if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
  return true;
}

}  // namespace script
