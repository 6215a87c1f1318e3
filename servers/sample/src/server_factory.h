#pragma once

// Making sample server objects: the registered classes (server_classes.h)
// and tests, which pick any options.

#include "com/guid.h"
#include "options.h"

namespace sample {

DEFINE_GUID(CLSID_PelkorDataSample, 0xB475D66A, 0x1569, 0x4828, 0xA8, 0xF8, 0x0F, 0x6C, 0xED, 0x31, 0x29, 0xBB);

// Creates a server with the given options and asks it for riid.
HRESULT createSampleServer(const ServerOptions& options, REFIID riid, void** object,
                           const CLSID& clsid = CLSID_PelkorDataSample);

}  // namespace sample
