#pragma once

// The client's connection to one OPC Data Access server.
//
// CServerConnection is the general layer: the server's IOPCServer (null while
// not connected, the program's only "connected" flag), the COM task allocator
// with which every block a server hands out is freed, and whether this
// object joined COM. CServerSession adds the five optional interfaces that
// are queried once at connect time; each is null when the server lacks it,
// and non-null only while the server pointer is.
//
// Interface pointers are plain pointers holding one reference each; they are
// released explicitly in a fixed order (Disconnect, then ReleaseServer).
// Releasing is defined here, beside the fields it releases; connecting
// (Connect and the steps it takes) is the session's own source file.

#include "com/apartment.h"
#include "com/guid.h"
#include "com/interfaces/malloc.h"
#include "com/interfaces/persist.h"
#include "opc/common.h"
#include "opc/server.h"
#include "win/types.h"

class CServerConnection {
 public:
  CServerConnection() = default;
  CServerConnection(const CServerConnection&) = delete;
  CServerConnection& operator=(const CServerConnection&) = delete;
  virtual ~CServerConnection() { ReleaseServer(); }

  // Resolves the ProgID's class (locally, then through the server list on
  // the machine) and creates the server object for IOPCServer. A null or
  // empty machine means this computer. Failures are shown with ShowComError
  // when showErrors is true; comFlags goes to CoInitializeEx.
  HRESULT Connect(LPCSTR machine, LPCSTR progId, bool showErrors, DWORD comFlags);

  // Releases the server and the allocator, and leaves COM if this object
  // joined it.
  void ReleaseServer();

  // A warning box with the text and, when the system has one, the code's
  // message after "\n\nError : ", as delivered (its line break included).
  void ShowComError(LPCSTR text, HRESULT code) const;

  IOPCServer* GetServer() const { return server_; }
  IMalloc* GetTaskAllocator() const { return taskAllocator_; }

 protected:
  HRESULT InitializeCom(bool showErrors, DWORD comFlags);
  HRESULT CreateServerObject(LPCSTR machine, const CLSID& clsid, bool showErrors, DWORD comFlags);
  HRESULT ResolveClsid(LPCSTR progId, bool showErrors, CLSID* clsid);
  HRESULT ResolveClsidRemote(LPCSTR machine, LPCSTR progId, bool showErrors, CLSID* clsid);

  // Test seam: lets a test subclass stand in for a connected session
  // without COM activation. The object takes over one reference to each
  // non-null pointer and releases it as it releases a connected server's;
  // COM is not joined, so ReleaseServer does not leave it.
  void AttachForTesting(IOPCServer* server, IMalloc* taskAllocator) {
    server_ = server;
    taskAllocator_ = taskAllocator;
  }

 private:
  IOPCServer* server_ = nullptr;
  IMalloc* taskAllocator_ = nullptr;
  bool comInitialized_ = false;
};

class CServerSession : public CServerConnection {
 public:
  CServerSession() = default;
  ~CServerSession() override {
    Disconnect();
    ReleaseServer();
  }

  // The general Connect with errors shown and the multithreaded apartment;
  // on success also queries the optional interfaces.
  bool Connect(LPCSTR machine, LPCSTR progId);

  // Releases the optional interfaces in the order of the fields, then the
  // server (ReleaseServer).
  void Disconnect();

  IOPCServerPublicGroups* GetPublicGroups() const { return publicGroups_; }
  IOPCBrowseServerAddressSpace* GetBrowseAddressSpace() const { return browseAddressSpace_; }
  IPersistFile* GetPersistFile() const { return persistFile_; }
  IOPCCommon* GetCommon() const { return common_; }
  IOPCItemProperties* GetItemProperties() const { return itemProperties_; }

 protected:
  // Queries the server for each optional interface; a missing one stays
  // null without a message.
  void QueryOptionalInterfaces();

 private:
  IOPCServerPublicGroups* publicGroups_ = nullptr;
  IOPCBrowseServerAddressSpace* browseAddressSpace_ = nullptr;
  IPersistFile* persistFile_ = nullptr;
  IOPCCommon* common_ = nullptr;
  IOPCItemProperties* itemProperties_ = nullptr;
};

inline void CServerConnection::ReleaseServer() {
  if (server_ != nullptr) {
    server_->Release();
    server_ = nullptr;
  }
  if (taskAllocator_ != nullptr) {
    taskAllocator_->Release();
    taskAllocator_ = nullptr;
  }
  if (comInitialized_) {
    CoUninitialize();
    comInitialized_ = false;
  }
}

inline void CServerSession::Disconnect() {
  auto release = [](auto*& pointer) {
    if (pointer != nullptr) {
      pointer->Release();
      pointer = nullptr;
    }
  };
  release(publicGroups_);
  release(browseAddressSpace_);
  release(persistFile_);
  release(common_);
  release(itemProperties_);
  ReleaseServer();
}
