#pragma once

// IConnectionPointContainer and IConnectionPoint.

#include "opcwire/methods/shapes.h"

namespace opcwire {

// ---- IConnectionPointContainer B196B284-BAB4-101A-B69C-00AA00341D07

enum class ContainerOp : std::uint16_t {
  enumConnectionPoints = 3,  // NoIn / InterfaceOut
  findConnectionPoint = 4,   // IidIn / InterfaceOut
};

// ---- IConnectionPoint B196B286-BAB4-101A-B69C-00AA00341D07

enum class ConnectionPointOp : std::uint16_t {
  getConnectionInterface = 3,       // NoIn / GuidOut
  getConnectionPointContainer = 4,  // NoIn / InterfaceOut
  advise = 5,
  unadvise = 6,                     // DwordIn / ResultOut
  enumConnections = 7,              // NoIn / InterfaceOut
};

struct AdviseIn {
  OrpcThis orpcThis;
  Interface sink;
};
template <class W>
void walkIn(W& w, AdviseIn& p) {
  w.param(p.orpcThis);
  interfaceParam(w, p.sink);
}
// Out: DwordOut (the cookie).

}  // namespace opcwire
