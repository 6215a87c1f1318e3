#pragma once

// The return-code text of a result code: its name ("E_FAIL", or "Function
// Failed : 80010105h" for a code without one), then "\n" and the long
// description when one is known. The server describes its own interface
// codes (FACILITY_ITF) through IOPCServer::GetErrorString; every other code
// is described by the system's message table.

#include <string>

#include "win/types.h"

class CServerSession;

// `session` may be null: interface codes then get their name alone.
std::string ResultCodeText(HRESULT code, const CServerSession* session);
