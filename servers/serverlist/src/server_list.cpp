#include "server_list.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

#include "com/allocator.h"
#include "com/enumerator.h"
#include "com/progid.h"
#include "win/stringapi.h"
#include "opc/categories.h"
#include "registered_classes.h"

namespace serverlist {
namespace {

bool contains(const std::vector<CATID>& categories, REFCATID category) {
  return std::find(categories.begin(), categories.end(), category) != categories.end();
}

bool implementsAny(const RegisteredClass& entry, ULONG count, const CATID* wanted) {
  if (count == 0 || count == ULONG_MAX) return true;
  for (ULONG index = 0; index < count; ++index) {
    if (contains(entry.implemented, wanted[index])) return true;
    if (entry.hasOpcMark && IsEqualGUID(wanted[index], CATID_OPCDAServer10)) return true;
  }
  return false;
}

bool requiresOnly(const RegisteredClass& entry, ULONG count, const CATID* allowed) {
  if (count == ULONG_MAX) return true;
  return std::all_of(entry.required.begin(), entry.required.end(), [&](REFCATID required) {
    return std::find(allowed, allowed + count, required) != allowed + count;
  });
}

// UTF-8 text (the registry's) as a string from the task allocator.
LPOLESTR taskString(const std::string& text) {
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
  if (length <= 0) return nullptr;
  auto* wide = static_cast<LPOLESTR>(CoTaskMemAlloc(static_cast<size_t>(length) * sizeof(OLECHAR)));
  if (wide != nullptr) MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide, length);
  return wide;
}

}  // namespace

HRESULT ServerList::matchingClasses(ULONG cImplemented, const CATID* rgcatidImpl, ULONG cRequired,
                                    const CATID* rgcatidReq, std::vector<GUID>& classes) {
  if (cImplemented != 0 && cImplemented != ULONG_MAX && rgcatidImpl == nullptr) return E_INVALIDARG;
  if (cRequired != 0 && cRequired != ULONG_MAX && rgcatidReq == nullptr) return E_INVALIDARG;
  for (const auto& entry : registeredClasses()) {
    if (implementsAny(entry, cImplemented, rgcatidImpl) && requiresOnly(entry, cRequired, rgcatidReq)) {
      classes.push_back(entry.clsid);
    }
  }
  return S_OK;
}

HRESULT ServerList::EnumClassesOfCategories(ULONG cImplemented, CATID rgcatidImpl[], ULONG cRequired,
                                            CATID rgcatidReq[], IEnumGUID** ppenumClsid) {
  if (ppenumClsid == nullptr) return E_POINTER;
  *ppenumClsid = nullptr;
  try {
    std::vector<GUID> classes;
    const HRESULT hr = matchingClasses(cImplemented, rgcatidImpl, cRequired, rgcatidReq, classes);
    if (FAILED(hr)) return hr;
    return com::EnumGUID::create(std::move(classes), ppenumClsid);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT ServerList::EnumClassesOfCategories(ULONG cImplemented, CATID rgcatidImpl[], ULONG cRequired,
                                            CATID rgcatidReq[], IOPCEnumGUID** ppenumClsid) {
  if (ppenumClsid == nullptr) return E_POINTER;
  *ppenumClsid = nullptr;
  try {
    std::vector<GUID> classes;
    const HRESULT hr = matchingClasses(cImplemented, rgcatidImpl, cRequired, rgcatidReq, classes);
    if (FAILED(hr)) return hr;
    return com::Enumerator<IOPCEnumGUID, com::GuidCopy>::create(std::move(classes), ppenumClsid);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT ServerList::GetClassDetails(REFCLSID clsid, LPOLESTR* ppszProgID, LPOLESTR* ppszUserType) {
  if (ppszProgID == nullptr || ppszUserType == nullptr) return E_INVALIDARG;
  *ppszProgID = nullptr;
  *ppszUserType = nullptr;
  try {
    auto details = classDetails(clsid);
    if (!details) return REGDB_E_CLASSNOTREG;
    LPOLESTR progId = taskString(details->progId);
    LPOLESTR description = taskString(details->description);
    if (progId == nullptr || description == nullptr) {
      CoTaskMemFree(progId);
      CoTaskMemFree(description);
      return E_OUTOFMEMORY;
    }
    *ppszProgID = progId;
    *ppszUserType = description;
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT ServerList::GetClassDetails(REFCLSID clsid, LPOLESTR* ppszProgID, LPOLESTR* ppszUserType,
                                    LPOLESTR* ppszVerIndProgID) {
  if (ppszProgID == nullptr || ppszUserType == nullptr || ppszVerIndProgID == nullptr) return E_INVALIDARG;
  *ppszProgID = nullptr;
  *ppszUserType = nullptr;
  *ppszVerIndProgID = nullptr;
  try {
    auto details = classDetails(clsid);
    if (!details) return REGDB_E_CLASSNOTREG;
    const std::string& versioned = details->versionedProgId.empty() ? details->progId : details->versionedProgId;
    LPOLESTR texts[3] = {taskString(versioned), taskString(details->description),
                         taskString(details->independentProgId)};
    if (texts[0] == nullptr || texts[1] == nullptr || texts[2] == nullptr) {
      for (LPOLESTR text : texts) CoTaskMemFree(text);
      return E_OUTOFMEMORY;
    }
    *ppszProgID = texts[0];
    *ppszUserType = texts[1];
    *ppszVerIndProgID = texts[2];
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT ServerList::CLSIDFromProgID(LPCOLESTR szProgId, LPCLSID clsid) {
  if (szProgId == nullptr || clsid == nullptr) return E_INVALIDARG;
  return ::CLSIDFromProgID(szProgId, clsid);
}

}  // namespace serverlist
