#pragma once

// The sample OPC Data Access server object ("Pelkor.DataSample"): IOPCServer
// and the optional interfaces IOPCServerPublicGroups,
// IOPCBrowseServerAddressSpace, IOPCItemProperties, IOPCCommon, IPersistFile
// and IConnectionPointContainer (for IOPCShutdown). Its methods live in one
// file per interface: server.cpp, server_public_groups.cpp,
// server_browse.cpp, server_item_properties.cpp, server_common.cpp and
// server_persist_file.cpp. Groups and the update thread belong to its core
// (server_core.h); what belongs to this one client session (browse
// position, locale, client name, current file) is kept here.

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "com/objidl.h"
#include "com/object.h"
#include "opc/common.h"
#include "opc/server.h"
#include "options.h"
#include "shutdown_connection.h"

namespace sample {

class ServerCore;

class SampleServer final
    : public com::Object<SampleServer, IOPCServer, IOPCServerPublicGroups, IOPCBrowseServerAddressSpace,
                         IOPCItemProperties, IOPCCommon, IPersistFile, IConnectionPointContainer> {
 public:
  SampleServer(const ServerOptions& options, const CLSID& clsid);
  ~SampleServer() override;
  // Builds the core and starts the update thread.
  HRESULT initialize();

  // Leaves out the optional interfaces the options omit.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;

  // IOPCServer
  HRESULT STDMETHODCALLTYPE AddGroup(LPCWSTR szName, BOOL bActive, DWORD dwRequestedUpdateRate,
                                     OPCHANDLE hClientGroup, LONG* pTimeBias, FLOAT* pPercentDeadband, DWORD dwLCID,
                                     OPCHANDLE* phServerGroup, DWORD* pRevisedUpdateRate, REFIID riid,
                                     LPUNKNOWN* ppUnk) override;
  HRESULT STDMETHODCALLTYPE GetErrorString(HRESULT dwError, LCID dwLocale, LPWSTR* ppString) override;
  HRESULT STDMETHODCALLTYPE GetGroupByName(LPCWSTR szName, REFIID riid, LPUNKNOWN* ppUnk) override;
  HRESULT STDMETHODCALLTYPE GetStatus(OPCSERVERSTATUS** ppServerStatus) override;
  HRESULT STDMETHODCALLTYPE RemoveGroup(OPCHANDLE hServerGroup, BOOL bForce) override;
  HRESULT STDMETHODCALLTYPE CreateGroupEnumerator(OPCENUMSCOPE dwScope, REFIID riid, LPUNKNOWN* ppUnk) override;

  // IOPCServerPublicGroups
  HRESULT STDMETHODCALLTYPE GetPublicGroupByName(LPCWSTR szName, REFIID riid, LPUNKNOWN* ppUnk) override;
  HRESULT STDMETHODCALLTYPE RemovePublicGroup(OPCHANDLE hServerGroup, BOOL bForce) override;

  // IOPCBrowseServerAddressSpace
  HRESULT STDMETHODCALLTYPE QueryOrganization(OPCNAMESPACETYPE* pNameSpaceType) override;
  HRESULT STDMETHODCALLTYPE ChangeBrowsePosition(OPCBROWSEDIRECTION dwBrowseDirection, LPCWSTR szString) override;
  HRESULT STDMETHODCALLTYPE BrowseOPCItemIDs(OPCBROWSETYPE dwBrowseFilterType, LPCWSTR szFilterCriteria,
                                             VARTYPE vtDataTypeFilter, DWORD dwAccessRightsFilter,
                                             LPENUMSTRING* ppIEnumString) override;
  HRESULT STDMETHODCALLTYPE GetItemID(LPWSTR szItemDataID, LPWSTR* szItemID) override;
  HRESULT STDMETHODCALLTYPE BrowseAccessPaths(LPCWSTR szItemID, LPENUMSTRING* ppIEnumString) override;

  // IOPCItemProperties
  HRESULT STDMETHODCALLTYPE QueryAvailableProperties(LPWSTR szItemID, DWORD* pdwCount, DWORD** ppPropertyIDs,
                                                     LPWSTR** ppDescriptions, VARTYPE** ppvtDataTypes) override;
  HRESULT STDMETHODCALLTYPE GetItemProperties(LPWSTR szItemID, DWORD dwCount, DWORD* pdwPropertyIDs,
                                              VARIANT** ppvData, HRESULT** ppErrors) override;
  HRESULT STDMETHODCALLTYPE LookupItemIDs(LPWSTR szItemID, DWORD dwCount, DWORD* pdwPropertyIDs,
                                          LPWSTR** ppszNewItemIDs, HRESULT** ppErrors) override;

  // IOPCCommon
  HRESULT STDMETHODCALLTYPE SetLocaleID(LCID dwLcid) override;
  HRESULT STDMETHODCALLTYPE GetLocaleID(LCID* pdwLcid) override;
  HRESULT STDMETHODCALLTYPE QueryAvailableLocaleIDs(DWORD* pdwCount, LCID** pdwLcid) override;
  HRESULT STDMETHODCALLTYPE GetErrorString(HRESULT dwError, LPWSTR* ppString) override;
  HRESULT STDMETHODCALLTYPE SetClientName(LPCWSTR szName) override;

  // IPersistFile
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;
  HRESULT STDMETHODCALLTYPE IsDirty() override;
  HRESULT STDMETHODCALLTYPE Load(LPCOLESTR fileName, DWORD mode) override;
  HRESULT STDMETHODCALLTYPE Save(LPCOLESTR fileName, BOOL remember) override;
  HRESULT STDMETHODCALLTYPE SaveCompleted(LPCOLESTR fileName) override;
  HRESULT STDMETHODCALLTYPE GetCurFile(LPOLESTR* fileName) override;

  // IConnectionPointContainer
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override;
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;

 private:
  HRESULT groupByName(LPCWSTR name, bool publicGroup, REFIID riid, LPUNKNOWN* ppUnk);
  HRESULT errorString(HRESULT code, LCID locale, LPWSTR* text);

  const ServerOptions options_;
  const CLSID clsid_;
  const std::shared_ptr<ShutdownSinks> shutdownSinks_;
  ShutdownConnectionPoint shutdownPoint_;
  std::shared_ptr<ServerCore> core_;
  std::atomic<uint32_t> statusCalls_{0};

  // This client's session, guarded by sessionMutex_.
  std::mutex sessionMutex_;
  uint32_t browseBranch_ = 0;  // the root
  LCID locale_;
  std::u16string clientName_;
  std::u16string currentFile_;
  uint64_t savedVersion_ = 0;  // the configuration version last saved or loaded
};

}  // namespace sample
