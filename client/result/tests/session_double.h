#pragma once

// A CServerSession for tests: "connected" to the server object it is given
// (or to none) and holding the process's task allocator, without COM
// activation.

#include "session/server_session.h"

namespace testing_support {

class SessionDouble : public CServerSession {
 public:
  // Takes a reference of its own to `server`, which may be null.
  explicit SessionDouble(IOPCServer* server = nullptr);
};

}  // namespace testing_support
