#pragma once

// Everything a COM client or server includes: the standard interfaces and
// the COM calls (apartments, task allocator, GUIDs and ProgIDs, activation,
// global memory, clipboard formats). OLE Automation (BSTR, VARIANT,
// SAFEARRAY) is in com/oleauto.h; the helpers for writing objects are in
// com/object.h and its neighbours.

#include "com/activation.h"
#include "com/allocator.h"
#include "com/apartment.h"
#include "com/clipboard.h"
#include "com/guid.h"
#include "com/hglobal.h"
#include "com/objidl.h"
#include "com/progid.h"
#include "com/unknown.h"
#include "com/wtypes.h"
#include "win/winerror.h"
