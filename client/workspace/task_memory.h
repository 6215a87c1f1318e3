#pragma once

// Freeing what a server hands out. The session's task allocator frees it; a
// session that has already let go of its allocator (while a pane is cleared
// after a failed connection) frees through the same task heap directly, so
// nothing is left behind.

#include "session/server_session.h"

void FreeTaskMemory(const CServerSession& session, void* block);
