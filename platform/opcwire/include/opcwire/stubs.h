#pragma once

// The server side of the OPC interfaces over DCOM: one stub per interface
// that decodes a request with the descriptions of opcwire/methods.h, calls
// the exported object in process and answers. Objects that methods hand out
// (groups, enumerators, connection points) are exported for the caller with
// IPIDs of their own, so pings and RemRelease govern them like any other.

#include <memory>
#include <vector>

#include "dcom/service.h"

namespace opcwire {

// For dcom::ServiceOptions::stubs: the stub of an interface, or nullptr.
dcom::ObjectStubs makeStubs(std::shared_ptr<dcom::Exporter> exporter);

// The interfaces makeStubs serves.
const std::vector<IID>& servedInterfaces();

}  // namespace opcwire
