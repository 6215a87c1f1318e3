#pragma once

// The OPC Data Access 1.0/2.0 and OPC Common interfaces as they travel in
// NDR, each method described once for both directions: walkIn for the
// request stub (what the server decodes and a client proxy encodes), walkOut
// for the response. One header per group of interfaces, each interface in
// the published method order; opnums start at 3 after IUnknown's.
//
// Out structures whose arrays are sized by the request carry that size in
// `count`; the side that walks them sets it from the request first (the
// server from what it decoded, a proxy from what it sent). A failed call
// sends its out arrays as NULL pointers, which decode as empty vectors.
//
// The OPC enumerations have no [v1_enum], so they travel as 16 bits.

#include "opcwire/methods/types.h"
#include "opcwire/methods/shapes.h"
#include "opcwire/methods/server.h"
#include "opcwire/methods/browse.h"
#include "opcwire/methods/persist.h"
#include "opcwire/methods/groups.h"
#include "opcwire/methods/io.h"
#include "opcwire/methods/enumerators.h"
#include "opcwire/methods/connection_points.h"
#include "opcwire/methods/server_list.h"
