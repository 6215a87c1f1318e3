#pragma once

// The strings of a server's string enumerator as a list of texts.

#include <string>
#include <vector>

#include "com/interfaces/enumerators.h"

class CServerSession;

// Resets the enumerator and reads it to its end, ten strings at a time, in
// the server's order; each string is freed with the session's task
// allocator. An enumerator that cannot be reset gives an empty list. The
// caller keeps its reference to the enumerator.
std::vector<std::string> EnumStringsToList(IEnumString* enumerator, const CServerSession& session);
