#pragma once

// The name under which Quillon introduces itself to every server it
// connects to (IOPCCommon::SetClientName): "\\" and this computer's name,
// a backslash, then the program's own name.

#include <string>

std::string QuillonClientName();
