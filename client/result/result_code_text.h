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

// The code that the short form of a return-code text stands for: a name of
// the table above ("E_FAIL") or "Function Failed : 80010105h". False for
// any other text. Scripts name codes this way and read them back this way.
bool ResultCodeOfText(const std::string& shortForm, HRESULT& code);
