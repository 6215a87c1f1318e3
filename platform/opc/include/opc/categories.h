#pragma once

// The component categories an OPC Data Access server registers under
// "Implemented Categories" of its class key.

#include "com/guid.h"

DEFINE_GUID(CATID_OPCDAServer10, 0x63D5F430, 0xCFE4, 0x11D1, 0xB2, 0xC8, 0x00, 0x60, 0x08, 0x3B, 0xA1, 0xFB);
DEFINE_GUID(CATID_OPCDAServer20, 0x63D5F432, 0xCFE4, 0x11D1, 0xB2, 0xC8, 0x00, 0x60, 0x08, 0x3B, 0xA1, 0xFB);

#define IID_CATID_OPCDAServer10 CATID_OPCDAServer10
#define IID_CATID_OPCDAServer20 CATID_OPCDAServer20
