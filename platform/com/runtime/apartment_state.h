#pragma once

// What the runtime's parts tell each other about apartments and servers.

namespace com::detail {

// True when the calling thread may use COM: it has joined an apartment, or
// the process has a multithreaded apartment that it implicitly belongs to.
bool callerHasJoinedCom() noexcept;

// Unloads every loaded in-process server whose DllCanUnloadNow agrees.
void freeUnusedServers() noexcept;

}  // namespace com::detail
