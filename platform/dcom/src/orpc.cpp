// Version agreement between the two sides of a call.

#include "dcom/orpc.h"

namespace dcom {

bool versionAccepted(const ComVersion& client) {
  return client.major == kServerVersion.major && client.minor <= kServerVersion.minor;
}

}  // namespace dcom
