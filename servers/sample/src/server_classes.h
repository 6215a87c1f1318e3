#pragma once

// The classes the sample server library registers: "Pelkor.DataSample" and
// its fault variants, each with its own class identifier and ProgID, so that
// a user can pick a misbehaving server from the registry:
//
//   Pelkor.DataSample                      the full server
//   Pelkor.DataSample.Minimal              no optional interfaces: only
//                                          IOPCServer (no public groups,
//                                          browsing, item properties,
//                                          IOPCCommon, IPersistFile or
//                                          shutdown connection point)
//   Pelkor.DataSample.NoGroupEnumerator    CreateGroupEnumerator: E_NOTIMPL
//   Pelkor.DataSample.NoBrowsePosition     GetItemID(""): E_FAIL
//   Pelkor.DataSample.FixedClientHandles   SetClientHandles: E_FAIL per item
//   Pelkor.DataSample.FailingStatus        GetStatus fails from the 5th call
//   Pelkor.DataSample.LimitedGroups        groups without IOPCSyncIO,
//                                          IOPCAsyncIO, IDataObject and
//                                          IOPCPublicGroupStateMgt
//   Pelkor.DataSample.StatelessGroups      groups without IOPCGroupStateMgt
//   Pelkor.DataSample.EmptyEnumerations    an empty group, item ID or access
//                                          path enumeration answers S_OK
//                                          rather than S_FALSE
//   Pelkor.DataSample.NoDataObject         groups without IDataObject (no
//                                          data advise; all I/O otherwise)
//
// Each name is a version-independent ProgID whose CurVer is "<name>.1".

#include <span>

#include "com/guid.h"
#include "options.h"

namespace sample {

struct SampleClass {
  CLSID clsid;
  const char* progId;  // version-independent; the versioned one adds ".1"
  const char* description;
  void (*configure)(ServerOptions& options);
};

std::span<const SampleClass> sampleClasses();
const SampleClass* findSampleClass(REFCLSID clsid);

// The options of a registered class as a user starts it: the class's
// faults and the many-items size the user configured.
ServerOptions optionsFor(const SampleClass& sampleClass);

}  // namespace sample
