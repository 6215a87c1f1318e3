// SAFEARRAY: a descriptor with its bounds, and a separate block of elements.
// The descriptor sits behind a 16-byte prefix whose last four bytes hold the
// element type, where COM keeps it for FADF_HAVEVARTYPE, so that
// SafeArrayGetVartype answers for every element type. Bounds are stored in
// reverse order as COM does: rgsabound[cDims - 1] is dimension 1, which also
// varies fastest in memory and is addressed by indices[0].

#include <atomic>
#include <limits>
#include <cstdlib>
#include <cstring>

#include "com/oleauto.h"
#include "com/value_types.h"
#include "element_ops.h"

namespace com::automation {
namespace {

constexpr std::size_t kPrefixBytes = 16;
// LONG and ULONG are 32 bits on every build, unlike the C long of LP64.
constexpr long long kMaxLong = std::numeric_limits<LONG>::max();
constexpr unsigned long long kMaxUlong = std::numeric_limits<ULONG>::max();
constexpr ULONG kMaxLocks = 0xFFFF;
constexpr USHORT kNotOwnedData = FADF_AUTO | FADF_STATIC | FADF_EMBEDDED;

std::size_t descriptorBytes(UINT dims) {
  return offsetof(SAFEARRAY, rgsabound) + std::size_t{dims} * sizeof(SAFEARRAYBOUND);
}

BYTE* blockOf(SAFEARRAY* array) {
  return reinterpret_cast<BYTE*>(array) - kPrefixBytes;
}

DWORD* typeSlotOf(SAFEARRAY* array) {
  return reinterpret_cast<DWORD*>(reinterpret_cast<BYTE*>(array) - sizeof(DWORD));
}

// Bound of dimension `dim` (1-based, as the public calls count).
SAFEARRAYBOUND& boundOf(SAFEARRAY* array, UINT dim) {
  SAFEARRAYBOUND* bounds = array->rgsabound;
  return bounds[array->cDims - dim];
}

USHORT featuresFor(VARTYPE type) {
  switch (type) {
    case VT_BSTR:
      return FADF_HAVEVARTYPE | FADF_BSTR;
    case VT_UNKNOWN:
      return FADF_HAVEVARTYPE | FADF_UNKNOWN;
    case VT_DISPATCH:
      return FADF_HAVEVARTYPE | FADF_DISPATCH;
    case VT_VARIANT:
      return FADF_HAVEVARTYPE | FADF_VARIANT;
    default:
      return FADF_HAVEVARTYPE;
  }
}

// The element type the array owns its elements as. A descriptor made without
// a type still tells strings, interfaces and VARIANTs apart by its features;
// anything else is plain data.
VARTYPE ownedElementType(SAFEARRAY* array) {
  if (array->fFeatures & FADF_HAVEVARTYPE) return static_cast<VARTYPE>(*typeSlotOf(array));
  if (array->fFeatures & FADF_BSTR) return VT_BSTR;
  if (array->fFeatures & FADF_UNKNOWN) return VT_UNKNOWN;
  if (array->fFeatures & FADF_DISPATCH) return VT_DISPATCH;
  if (array->fFeatures & FADF_VARIANT) return VT_VARIANT;
  return VT_EMPTY;
}

// Number of elements, or false when the count or its size in bytes does not
// fit COM's 32-bit sizes.
bool countElements(SAFEARRAY* array, ULONG* count) {
  const unsigned long long size = array->cbElements == 0 ? 1 : array->cbElements;
  unsigned long long total = 1;
  for (UINT dim = 1; dim <= array->cDims; ++dim) {
    // total stays at most kMaxUlong here, so the product cannot wrap.
    total *= boundOf(array, dim).cElements;
    if (total > kMaxUlong / size) return false;
  }
  *count = static_cast<ULONG>(total);
  return true;
}

// Offset in elements of the cell the indices name, or false when an index
// lies outside its dimension.
bool cellOf(SAFEARRAY* array, const LONG* indices, ULONG* cell) {
  unsigned long long offset = 0;
  unsigned long long stride = 1;
  for (UINT dim = 1; dim <= array->cDims; ++dim) {
    const SAFEARRAYBOUND& bound = boundOf(array, dim);
    const long long position = static_cast<long long>(indices[dim - 1]) - bound.lLbound;
    if (position < 0 || position >= static_cast<long long>(bound.cElements)) return false;
    offset += static_cast<unsigned long long>(position) * stride;
    stride *= bound.cElements;
  }
  *cell = static_cast<ULONG>(offset);
  return true;
}

void* cellPointer(SAFEARRAY* array, ULONG cell) {
  return static_cast<BYTE*>(array->pvData) + std::size_t{cell} * array->cbElements;
}

// Bounds whose upper index does not fit a LONG cannot be addressed.
bool boundsAreAddressable(const SAFEARRAYBOUND* bounds, UINT dims) {
  for (UINT i = 0; i < dims; ++i) {
    if (static_cast<long long>(bounds[i].lLbound) + bounds[i].cElements - 1 > kMaxLong) return false;
  }
  return true;
}

SAFEARRAY* createArray(VARTYPE type, UINT dims, const SAFEARRAYBOUND* bounds) {
  if (bounds == nullptr || ArrayElementSize(type) == 0 || !boundsAreAddressable(bounds, dims)) return nullptr;
  SAFEARRAY* array = nullptr;
  if (FAILED(SafeArrayAllocDescriptorEx(type, dims, &array))) return nullptr;
  SAFEARRAYBOUND* stored = array->rgsabound;
  for (UINT i = 0; i < dims; ++i) stored[dims - 1 - i] = bounds[i];
  if (FAILED(SafeArrayAllocData(array))) {
    SafeArrayDestroyDescriptor(array);
    return nullptr;
  }
  return array;
}

}  // namespace
}  // namespace com::automation

using namespace com::automation;
using com::ArrayElementSize;

extern "C" {

HRESULT SafeArrayAllocDescriptor(UINT dims, SAFEARRAY** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (dims == 0 || dims > std::numeric_limits<USHORT>::max()) return E_INVALIDARG;
  auto* block = static_cast<BYTE*>(std::calloc(1, kPrefixBytes + descriptorBytes(dims)));
  if (block == nullptr) return E_OUTOFMEMORY;
  auto* array = reinterpret_cast<SAFEARRAY*>(block + kPrefixBytes);
  array->cDims = static_cast<USHORT>(dims);
  *out = array;
  return S_OK;
}

HRESULT SafeArrayAllocDescriptorEx(VARTYPE type, UINT dims, SAFEARRAY** out) {
  if (out != nullptr) *out = nullptr;
  if (ArrayElementSize(type) == 0) return DISP_E_BADVARTYPE;
  const HRESULT result = SafeArrayAllocDescriptor(dims, out);
  if (FAILED(result)) return result;
  SAFEARRAY* array = *out;
  array->fFeatures = featuresFor(type);
  array->cbElements = ArrayElementSize(type);
  *typeSlotOf(array) = type;
  return S_OK;
}

HRESULT SafeArrayAllocData(SAFEARRAY* array) {
  if (array == nullptr || array->cbElements == 0) return E_INVALIDARG;
  ULONG count = 0;
  if (!countElements(array, &count)) return E_OUTOFMEMORY;
  // Zeroed elements are valid empty values: VT_EMPTY VARIANTs, null strings
  // and null interfaces.
  array->pvData = std::calloc(count == 0 ? 1 : count, array->cbElements);
  return array->pvData != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT SafeArrayDestroyData(SAFEARRAY* array) {
  if (array == nullptr) return E_INVALIDARG;
  if (array->cLocks != 0) return DISP_E_ARRAYISLOCKED;
  if (array->pvData == nullptr) return S_OK;
  ULONG count = 0;
  if (!countElements(array, &count)) return E_UNEXPECTED;
  const VARTYPE type = ownedElementType(array);
  for (ULONG cell = 0; cell < count; ++cell) {
    releaseElement(type, cellPointer(array, cell), array->cbElements);
  }
  if (!(array->fFeatures & kNotOwnedData)) {
    std::free(array->pvData);
    array->pvData = nullptr;
  }
  return S_OK;
}

HRESULT SafeArrayDestroyDescriptor(SAFEARRAY* array) {
  if (array == nullptr) return S_OK;
  if (array->cLocks != 0) return DISP_E_ARRAYISLOCKED;
  std::free(blockOf(array));
  return S_OK;
}

SAFEARRAY* SafeArrayCreate(VARTYPE type, UINT dims, SAFEARRAYBOUND* bounds) {
  return createArray(type, dims, bounds);
}

SAFEARRAY* SafeArrayCreateVector(VARTYPE type, LONG lowerBound, ULONG elements) {
  const SAFEARRAYBOUND bound{elements, lowerBound};
  return createArray(type, 1, &bound);
}

HRESULT SafeArrayDestroy(SAFEARRAY* array) {
  if (array == nullptr) return S_OK;
  if (array->cLocks != 0) return DISP_E_ARRAYISLOCKED;
  const HRESULT result = SafeArrayDestroyData(array);
  if (FAILED(result)) return result;
  return SafeArrayDestroyDescriptor(array);
}

HRESULT SafeArrayCopy(SAFEARRAY* source, SAFEARRAY** copy) {
  if (copy == nullptr) return E_INVALIDARG;
  *copy = nullptr;
  if (source == nullptr) return S_OK;
  SAFEARRAY* target = nullptr;
  HRESULT result = SafeArrayAllocDescriptor(source->cDims, &target);
  if (FAILED(result)) return result;
  std::memcpy(target, source, descriptorBytes(source->cDims));
  *typeSlotOf(target) = *typeSlotOf(source);
  target->cLocks = 0;
  target->pvData = nullptr;
  // The copy owns its data, wherever the source's came from.
  target->fFeatures = static_cast<USHORT>(source->fFeatures & ~kNotOwnedData);
  result = SafeArrayAllocData(target);
  ULONG count = 0;
  if (SUCCEEDED(result) && !countElements(source, &count)) result = E_UNEXPECTED;
  const VARTYPE type = ownedElementType(source);
  for (ULONG cell = 0; SUCCEEDED(result) && cell < count; ++cell) {
    result = copyElement(type, cellPointer(target, cell), cellPointer(source, cell), source->cbElements);
  }
  if (FAILED(result)) {
    SafeArrayDestroy(target);
    return result;
  }
  *copy = target;
  return S_OK;
}

UINT SafeArrayGetDim(SAFEARRAY* array) {
  return array == nullptr ? 0 : array->cDims;
}

UINT SafeArrayGetElemsize(SAFEARRAY* array) {
  return array == nullptr ? 0 : array->cbElements;
}

HRESULT SafeArrayGetVartype(SAFEARRAY* array, VARTYPE* type) {
  if (array == nullptr || type == nullptr) return E_INVALIDARG;
  const VARTYPE owned = ownedElementType(array);
  if (owned == VT_EMPTY) return E_INVALIDARG;
  *type = owned;
  return S_OK;
}

HRESULT SafeArrayGetLBound(SAFEARRAY* array, UINT dim, LONG* bound) {
  if (array == nullptr || bound == nullptr) return E_INVALIDARG;
  if (dim < 1 || dim > array->cDims) return DISP_E_BADINDEX;
  *bound = boundOf(array, dim).lLbound;
  return S_OK;
}

HRESULT SafeArrayGetUBound(SAFEARRAY* array, UINT dim, LONG* bound) {
  if (array == nullptr || bound == nullptr) return E_INVALIDARG;
  if (dim < 1 || dim > array->cDims) return DISP_E_BADINDEX;
  const SAFEARRAYBOUND& stored = boundOf(array, dim);
  // An empty dimension reports an upper bound one below the lower bound.
  *bound = static_cast<LONG>(static_cast<long long>(stored.lLbound) + stored.cElements - 1);
  return S_OK;
}

HRESULT SafeArrayLock(SAFEARRAY* array) {
  if (array == nullptr) return E_INVALIDARG;
  std::atomic_ref<ULONG> locks(array->cLocks);
  if (locks.fetch_add(1) >= kMaxLocks) {
    locks.fetch_sub(1);
    return E_UNEXPECTED;
  }
  return S_OK;
}

HRESULT SafeArrayUnlock(SAFEARRAY* array) {
  if (array == nullptr) return E_INVALIDARG;
  std::atomic_ref<ULONG> locks(array->cLocks);
  ULONG current = locks.load();
  do {
    if (current == 0) return E_UNEXPECTED;
  } while (!locks.compare_exchange_weak(current, current - 1));
  return S_OK;
}

HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data) {
  if (array == nullptr || data == nullptr) return E_INVALIDARG;
  const HRESULT result = SafeArrayLock(array);
  if (FAILED(result)) return result;
  *data = array->pvData;
  return S_OK;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* array) {
  return SafeArrayUnlock(array);
}

HRESULT SafeArrayPtrOfIndex(SAFEARRAY* array, LONG* indices, void** element) {
  if (array == nullptr || indices == nullptr || element == nullptr) return E_INVALIDARG;
  ULONG cell = 0;
  if (!cellOf(array, indices, &cell)) return DISP_E_BADINDEX;
  *element = cellPointer(array, cell);
  return S_OK;
}

HRESULT SafeArrayGetElement(SAFEARRAY* array, LONG* indices, void* value) {
  if (array == nullptr || indices == nullptr || value == nullptr) return E_INVALIDARG;
  ULONG cell = 0;
  if (!cellOf(array, indices, &cell)) return DISP_E_BADINDEX;
  HRESULT result = SafeArrayLock(array);
  if (FAILED(result)) return result;
  result = copyElement(ownedElementType(array), value, cellPointer(array, cell), array->cbElements);
  SafeArrayUnlock(array);
  return result;
}

HRESULT SafeArrayPutElement(SAFEARRAY* array, LONG* indices, void* value) {
  if (array == nullptr || indices == nullptr) return E_INVALIDARG;
  ULONG cell = 0;
  if (!cellOf(array, indices, &cell)) return DISP_E_BADINDEX;
  const VARTYPE type = ownedElementType(array);
  // Strings and interfaces are passed as themselves (null is a valid value);
  // every other type is passed by the address of its value.
  const bool passedByValue = type == VT_BSTR || type == VT_UNKNOWN || type == VT_DISPATCH;
  if (value == nullptr && !passedByValue) return E_INVALIDARG;
  HRESULT result = SafeArrayLock(array);
  if (FAILED(result)) return result;
  void* storage = cellPointer(array, cell);
  if (type == VT_VARIANT) {
    result = VariantCopy(static_cast<VARIANT*>(storage), static_cast<const VARIANT*>(value));
  } else if (passedByValue) {
    // The new value is copied before the old one is released, so putting an
    // element's own string or interface back into it is safe.
    void* copy = nullptr;
    result = copyElement(type, &copy, &value, sizeof copy);
    if (SUCCEEDED(result)) {
      releaseElement(type, storage, array->cbElements);
      std::memcpy(storage, &copy, sizeof copy);
    }
  } else {
    std::memmove(storage, value, array->cbElements);
  }
  SafeArrayUnlock(array);
  return result;
}

}  // extern "C"
