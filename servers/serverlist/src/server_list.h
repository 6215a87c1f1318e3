#pragma once

// The OPC server list object (CLSID_OPCServerList): lists the OPC servers
// registered on this machine by category, describes them and resolves their
// ProgIDs, all from the registry. A class counts as implementing
// CATID_OPCDAServer10 also when its ProgID carries the "OPC" mark of Data
// Access 1.0 registration, since servers of that time registered no
// categories.

#include <vector>

#include "com/object.h"
#include "opc/server_list.h"

namespace serverlist {

class ServerList final : public com::Object<ServerList, IOPCServerList, IOPCServerList2> {
 public:
  // Classes that implement at least one of the implemented categories (any
  // class when the count is 0 or ULONG_MAX) and require no category outside
  // the required ones (not checked when that count is ULONG_MAX).
  HRESULT STDMETHODCALLTYPE EnumClassesOfCategories(ULONG cImplemented, CATID rgcatidImpl[], ULONG cRequired,
                                                    CATID rgcatidReq[], IEnumGUID** ppenumClsid) override;
  // The ProgID (the version-independent one when registered) and the
  // description; REGDB_E_CLASSNOTREG for a class that is not registered.
  HRESULT STDMETHODCALLTYPE GetClassDetails(REFCLSID clsid, LPOLESTR* ppszProgID, LPOLESTR* ppszUserType) override;
  HRESULT STDMETHODCALLTYPE CLSIDFromProgID(LPCOLESTR szProgId, LPCLSID clsid) override;

  // IOPCServerList2: the same classes as an IOPCEnumGUID, and the ProgID
  // (the versioned one when registered) apart from the version-independent
  // one ("" when the class has none).
  HRESULT STDMETHODCALLTYPE EnumClassesOfCategories(ULONG cImplemented, CATID rgcatidImpl[], ULONG cRequired,
                                                    CATID rgcatidReq[], IOPCEnumGUID** ppenumClsid) override;
  HRESULT STDMETHODCALLTYPE GetClassDetails(REFCLSID clsid, LPOLESTR* ppszProgID, LPOLESTR* ppszUserType,
                                            LPOLESTR* ppszVerIndProgID) override;

 private:
  HRESULT matchingClasses(ULONG cImplemented, const CATID* rgcatidImpl, ULONG cRequired, const CATID* rgcatidReq,
                          std::vector<GUID>& classes);
};

}  // namespace serverlist
