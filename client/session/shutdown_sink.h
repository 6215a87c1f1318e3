#pragma once

// The client's IOPCShutdown sink. A server calls ShutdownRequest on one of
// its own threads; the sink only copies the reason and posts it to the main
// window, which does everything else on the user-interface thread.
//
// The object lives on the heap and is owned by its references: the client
// holds one while advising, afterwards the server's connection point holds
// it until Unadvise.

#include <atomic>

#include "gui/window_handle.h"
#include "opc/common.h"

class CShutdownSink : public IOPCShutdown {
 public:
  // Posts `messageId` to `target` for each request. Starts with no
  // reference; the creator adds the first.
  CShutdownSink(UINT messageId, gui::WindowHandle target);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // Posts the message with wParam 0 and lParam a malloc'ed copy of the reason
  // in 8-bit text (null for a null reason). When the window has gone the copy
  // is freed again, as nobody would receive it.
  HRESULT STDMETHODCALLTYPE ShutdownRequest(LPCWSTR szReason) override;

  virtual ~CShutdownSink() = default;

 private:
  std::atomic<ULONG> references_{0};
  const UINT messageId_;
  // The window is known by its handle, never by its object: the request
  // arrives on a server thread while the user-interface thread may be
  // destroying the window.
  const gui::WindowHandle target_;
};
