#include "element_ops.h"

#include <cstring>

#include "com/value_types.h"

namespace com::automation {

namespace {

HRESULT copyString(BSTR* destination, BSTR source) {
  *destination = nullptr;
  if (source == nullptr) return S_OK;
  // The byte length keeps embedded zeros and odd byte counts intact.
  *destination = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(source), SysStringByteLen(source));
  return *destination != nullptr ? S_OK : E_OUTOFMEMORY;
}

}  // namespace

void releaseElement(VARTYPE type, void* storage, ULONG size) {
  if (type & VT_ARRAY) {
    // An array handed to a destroy path while locked is a caller error that
    // cannot be reported from here; it is left in place rather than freed
    // under someone's feet.
    auto** array = static_cast<SAFEARRAY**>(storage);
    if (FAILED(SafeArrayDestroy(*array))) return;
    *array = nullptr;
    return;
  }
  switch (type) {
    case VT_BSTR:
      SysFreeString(*static_cast<BSTR*>(storage));
      break;
    case VT_UNKNOWN:
    case VT_DISPATCH:
      if (auto* object = *static_cast<IUnknown**>(storage)) object->Release();
      break;
    case VT_VARIANT:
      // A VARIANT that refuses to clear (it holds a locked array) keeps its
      // contents; zeroing it would lose the array without freeing it.
      if (FAILED(VariantClear(static_cast<VARIANT*>(storage)))) return;
      break;
    default:
      break;
  }
  std::memset(storage, 0, size);
}

HRESULT copyElement(VARTYPE type, void* destination, const void* source, ULONG size) {
  if (type & VT_ARRAY) {
    auto* target = static_cast<SAFEARRAY**>(destination);
    return SafeArrayCopy(*static_cast<SAFEARRAY* const*>(source), target);
  }
  switch (type) {
    case VT_BSTR:
      return copyString(static_cast<BSTR*>(destination), *static_cast<const BSTR*>(source));
    case VT_UNKNOWN:
    case VT_DISPATCH: {
      auto* object = *static_cast<IUnknown* const*>(source);
      if (object != nullptr) object->AddRef();
      *static_cast<IUnknown**>(destination) = object;
      return S_OK;
    }
    case VT_VARIANT: {
      auto* target = static_cast<VARIANT*>(destination);
      VariantInit(target);
      return VariantCopy(target, static_cast<const VARIANT*>(source));
    }
    default:
      std::memcpy(destination, source, size);
      return S_OK;
  }
}

void* valueStorage(VARIANT& value, VARTYPE type) {
  if (type == VT_DECIMAL) return &value.decVal;
  return &value.llVal;
}

const void* valueStorage(const VARIANT& value, VARTYPE type) {
  if (type == VT_DECIMAL) return &value.decVal;
  return &value.llVal;
}

HRESULT loadVariant(VARTYPE type, const void* storage, VARIANT* out) {
  VariantInit(out);
  const ULONG size = (type & VT_ARRAY) ? sizeof(SAFEARRAY*) : ArrayElementSize(type);
  const HRESULT result = copyElement(type, valueStorage(*out, type), storage, size);
  if (FAILED(result)) {
    VariantInit(out);
    return result;
  }
  // Set last: copying a DECIMAL overwrites the type code's word.
  out->vt = type;
  return S_OK;
}

}  // namespace com::automation
