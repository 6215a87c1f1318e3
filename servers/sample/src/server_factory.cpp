#include "server_factory.h"

#include "server.h"

namespace sample {

HRESULT createSampleServer(const ServerOptions& options, REFIID riid, void** object, const CLSID& clsid) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  com::Ptr<SampleServer> server = com::makeObject<SampleServer>(options, clsid);
  if (!server) return E_OUTOFMEMORY;
  const HRESULT hr = server->initialize();
  if (FAILED(hr)) return hr;
  return server->QueryInterface(riid, object);
}

}  // namespace sample
