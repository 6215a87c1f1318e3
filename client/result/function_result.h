#pragma once

// The outcome of one call as the result view shows it: the method's name,
// the text of its return code and the lines of everything it returned.
// Several exist (one for the server-level commands, one per group pane);
// the result view empties a record when it has shown it.

#include <string>
#include <vector>

struct FunctionResult {
  // A constant text such as "IOPCServer::GetStatus", or null; not owned.
  const char* functionName = nullptr;
  // ResultCodeText of the result: the short form up to the first "\n", the
  // long description after it.
  std::string returnCode;
  // One display line each; a line may itself hold a "\n".
  std::vector<std::string> lines;
};
