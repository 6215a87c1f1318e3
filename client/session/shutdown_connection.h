#pragma once

// The client's connection to a server's IOPCShutdown connection point: a
// CShutdownSink advised while connected, so that the server can ask the
// client to disconnect.

#include "com/interfaces/connection_points.h"
#include "opc/server.h"
#include "win/types.h"

class CShutdownConnection {
 public:
  CShutdownConnection() = default;
  CShutdownConnection(const CShutdownConnection&) = delete;
  CShutdownConnection& operator=(const CShutdownConnection&) = delete;
  virtual ~CShutdownConnection() { Unadvise(); }

  // Advises a new sink that posts `messageId` to the application's main
  // window. A server without the connection point fails here, and then
  // simply never notifies.
  HRESULT Advise(IOPCServer* server, UINT messageId);
  // Ends the connection; the result of IConnectionPoint::Unadvise, or S_OK
  // when nothing was advised.
  HRESULT Unadvise();

  bool IsAdvised() const { return cookie_ != 0; }

 private:
  DWORD cookie_ = 0;
  IConnectionPoint* connectionPoint_ = nullptr;
};
