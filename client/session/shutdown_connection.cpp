#include "session/shutdown_connection.h"

#include <new>

#include "gui/application.h"
#include "gui/frame_window.h"
#include "opc/common.h"
#include "session/shutdown_sink.h"

HRESULT CShutdownConnection::Advise(IOPCServer* server, UINT messageId) {
  if (server == nullptr) return E_POINTER;
  IConnectionPointContainer* container = nullptr;
  HRESULT hr = server->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container));
  if (FAILED(hr)) return hr;
  // A connection point left from an earlier connection is ended first, so
  // that no reference of it is lost.
  Unadvise();
  hr = container->FindConnectionPoint(IID_IOPCShutdown, &connectionPoint_);
  container->Release();
  if (FAILED(hr)) {
    connectionPoint_ = nullptr;
    return hr;
  }

  gui::FrameWindow* mainWindow = gui::GetMainWindow();
  auto* sink = new (std::nothrow) CShutdownSink(messageId, mainWindow != nullptr ? mainWindow->handle()
                                                                                  : gui::WindowHandle{});
  if (sink == nullptr) return E_OUTOFMEMORY;
  sink->AddRef();
  IUnknown* unknown = nullptr;
  hr = sink->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown));
  if (SUCCEEDED(hr)) {
    hr = connectionPoint_->Advise(unknown, &cookie_);
    unknown->Release();
  }
  sink->Release();
  return hr;
}

HRESULT CShutdownConnection::Unadvise() {
  if (connectionPoint_ == nullptr) return S_OK;
  HRESULT hr = S_OK;
  if (cookie_ != 0) {
    hr = connectionPoint_->Unadvise(cookie_);
    cookie_ = 0;
  }
  connectionPoint_->Release();
  connectionPoint_ = nullptr;
  return hr;
}
