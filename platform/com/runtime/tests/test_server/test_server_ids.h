#pragma once

// The identifiers of the in-process test server, shared by the server and
// the tests that activate it.

#include "com/guid.h"

DEFINE_GUID(CLSID_TestWidget, 0x5C0FFEE0, 0x1D2C, 0x4E3B, 0x8A, 0x49, 0x71, 0x65, 0x73, 0x74, 0x00, 0x01);
// Known to the registry (the fixture points it at the server) but not served
// by the server.
DEFINE_GUID(CLSID_TestNotServed, 0x5C0FFEE0, 0x1D2C, 0x4E3B, 0x8A, 0x49, 0x71, 0x65, 0x73, 0x74, 0x00, 0x02);
DEFINE_GUID(CATID_TestCategory, 0x5C0FFEE0, 0x1D2C, 0x4E3B, 0x8A, 0x49, 0x71, 0x65, 0x73, 0x74, 0x00, 0xCA);

inline constexpr const char* kTestWidgetProgId = "Velmora.TestWidget.1";
inline constexpr const char* kTestWidgetIndependentProgId = "Velmora.TestWidget";
inline constexpr const char* kTestWidgetExtraKey = "Velmora.TestWidget.Settings";
