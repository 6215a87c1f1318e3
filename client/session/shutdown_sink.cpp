#include "session/shutdown_sink.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "format/wide_text.h"
#include "gui/post_message.h"

CShutdownSink::CShutdownSink(UINT messageId, gui::WindowHandle target) : messageId_(messageId), target_(target) {}

HRESULT CShutdownSink::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOPCShutdown)) {
    *object = static_cast<IOPCShutdown*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG CShutdownSink::AddRef() { return references_.fetch_add(1, std::memory_order_relaxed) + 1; }

ULONG CShutdownSink::Release() {
  const ULONG left = references_.fetch_sub(1, std::memory_order_acq_rel) - 1;
  if (left == 0) delete this;
  return left;
}

HRESULT CShutdownSink::ShutdownRequest(LPCWSTR szReason) {
  char* reason = nullptr;
  if (szReason != nullptr) {
    const std::string text = format::WideToText(szReason);
    reason = static_cast<char*>(std::malloc(text.size() + 1));
    if (reason != nullptr) std::memcpy(reason, text.c_str(), text.size() + 1);
  }
  if (!gui::PostMessage(target_, messageId_, 0, reinterpret_cast<gui::LPARAM>(reason))) std::free(reason);
  return S_OK;
}
