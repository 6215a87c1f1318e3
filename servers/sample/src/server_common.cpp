// IOPCCommon of the sample server: the session's locale (English or German),
// error texts in it, and the client's name.

#include "locales.h"
#include "server.h"
#include "task_memory.h"
#include "text.h"

namespace sample {

HRESULT SampleServer::SetLocaleID(LCID dwLcid) {
  if (!isSupportedLocale(dwLcid)) return E_INVALIDARG;
  std::lock_guard lock(sessionMutex_);
  locale_ = dwLcid;
  return S_OK;
}

HRESULT SampleServer::GetLocaleID(LCID* pdwLcid) {
  if (pdwLcid == nullptr) return E_INVALIDARG;
  std::lock_guard lock(sessionMutex_);
  *pdwLcid = locale_;
  return S_OK;
}

HRESULT SampleServer::QueryAvailableLocaleIDs(DWORD* pdwCount, LCID** pdwLcid) {
  if (pdwCount == nullptr || pdwLcid == nullptr) return E_INVALIDARG;
  *pdwCount = 0;
  *pdwLcid = nullptr;
  TaskBlock<LCID> locales = makeTaskArray<LCID>(kSupportedLocales.size());
  if (!locales) return E_OUTOFMEMORY;
  for (size_t index = 0; index < kSupportedLocales.size(); ++index) locales[index] = kSupportedLocales[index];
  *pdwCount = static_cast<DWORD>(kSupportedLocales.size());
  *pdwLcid = locales.release();
  return S_OK;
}

HRESULT SampleServer::GetErrorString(HRESULT dwError, LPWSTR* ppString) {
  LCID locale;
  {
    std::lock_guard lock(sessionMutex_);
    locale = locale_;
  }
  return errorString(dwError, locale, ppString);
}

HRESULT SampleServer::SetClientName(LPCWSTR szName) {
  if (szName == nullptr) return E_INVALIDARG;
  return guarded([&] {
    std::lock_guard lock(sessionMutex_);
    clientName_ = szName;
    return S_OK;
  });
}

}  // namespace sample
