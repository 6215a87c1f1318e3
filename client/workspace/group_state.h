#pragma once

// A group's state as IOPCGroupStateMgt::GetState reports it. Several group
// and item commands need some of it; reading it in one place keeps the
// server's name string from being leaked by any of them.

#include <string>

#include "opc/opcda.h"
#include "session/server_session.h"

struct GroupState {
  DWORD updateRate = 0;
  BOOL active = FALSE;
  std::string name;
  LONG timeBias = 0;
  FLOAT deadband = 0;
  LCID locale = 0;
  OPCHANDLE clientGroup = 0;
  OPCHANDLE serverGroup = 0;
};

// Asks the group for its state and returns the server's result. The name
// the server hands out is copied into `state` (when the call succeeds) and
// freed, so the caller owns nothing afterwards.
HRESULT ReadGroupState(IOPCGroupStateMgt* group, const CServerSession& session, GroupState& state);
