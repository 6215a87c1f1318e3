#include "session/server_session.h"

#include <type_traits>

#include "opc/opcda.h"

bool CServerSession::Connect(LPCSTR machine, LPCSTR progId) {
  if (FAILED(CServerConnection::Connect(machine, progId, true, COINIT_MULTITHREADED))) return false;
  QueryOptionalInterfaces();
  return true;
}

void CServerSession::QueryOptionalInterfaces() {
  IOPCServer* server = GetServer();
  if (server == nullptr) return;
  auto query = [server](const IID& iid, auto*& pointer) {
    void* answer = nullptr;
    if (FAILED(server->QueryInterface(iid, &answer))) answer = nullptr;
    pointer = static_cast<std::remove_reference_t<decltype(pointer)>>(answer);
  };
  query(IID_IOPCServerPublicGroups, publicGroups_);
  query(IID_IOPCBrowseServerAddressSpace, browseAddressSpace_);
  query(IID_IPersistFile, persistFile_);
  query(IID_IOPCCommon, common_);
  query(IID_IOPCItemProperties, itemProperties_);
}
