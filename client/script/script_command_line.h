#pragma once

// The command line of a script run:
//
//   quillon --run SCRIPT|- [--server PROGID] [--machine NAME] [--format text|json] [--stop-on-failure]

#include <QString>
#include <optional>

#include "script/script_runner.h"

namespace script {

struct ScriptInvocation {
  QString scriptPath;  // "-" for the standard input
  RunOptions options;
};

// The script run the arguments ask for, or nullopt without "--run". A
// malformed line sets `error` (and returns nullopt).
std::optional<ScriptInvocation> ScriptInvocationOf(int argc, char** argv, QString& error);

// Reads the script's text from its file or the standard input.
bool ReadScriptText(const QString& path, QString& text, QString& error);

}  // namespace script
