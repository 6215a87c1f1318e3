#include "session_double.h"

#include "com/allocator.h"

namespace testing_support {

SessionDouble::SessionDouble(IOPCServer* server) {
  if (server != nullptr) server->AddRef();
  IMalloc* allocator = nullptr;
  CoGetMalloc(MEMCTX_TASK, &allocator);
  AttachForTesting(server, allocator);
}

}  // namespace testing_support
