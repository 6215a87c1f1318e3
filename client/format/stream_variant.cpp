#include "format/stream_variant.h"

#include <bit>
#include <cstring>
#include <limits>

#include "com/value_types.h"
#include "opc/stream.h"

// The stream is little-endian and read with plain copies.
static_assert(std::endian::native == std::endian::little, "stream values are decoded on little-endian hosts");

namespace {

// Offsets inside a value record, as a 32-bit server lays it out.
constexpr std::size_t kTypeOffset = offsetof(opc::StreamValue, vt);
constexpr std::size_t kValueOffset = offsetof(opc::StreamValue, value);
constexpr std::size_t kRecordSize = opc::kStreamValueSize;
constexpr std::size_t kBoundOffset = kRecordSize + sizeof(opc::StreamArrayDescriptor);
constexpr std::size_t kArrayDataOffset = kRecordSize + opc::kStreamArrayHeaderSize;
constexpr std::size_t kStringOverhead = opc::kStreamStringHeaderSize + opc::kStreamStringTerminatorSize;

// Scalars whose value lies wholly in the record's 8-byte value field. Raw
// array elements take the values' own sizes (com::ValueDataSize), which the
// stream keeps on every platform.
bool isInlineScalar(VARTYPE type) {
  const com::ValueTypeFacts* facts = com::FactsOfValueType(type);
  if (facts == nullptr || !facts->inVariant) return false;
  return facts->storage == com::ValueStorage::None ||
         (facts->storage == com::ValueStorage::Data && facts->dataSize <= sizeof(LONGLONG));
}

DWORD readDword(const BYTE* at) {
  DWORD value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

class Decoder {
 public:
  explicit Decoder(const BYTE* end) : end_(end) {}

  // Decodes one record into `out`, which is empty on entry. On failure
  // `out` may hold what was built so far, always as a valid value that
  // VariantClear releases.
  std::ptrdiff_t record(const BYTE* at, VARIANT* out, int level) {
    if (level > kMaxStreamNesting || left(at) < kRecordSize) return -1;
    VARTYPE type;
    std::memcpy(&type, at + kTypeOffset, sizeof type);
    if (type & VT_ARRAY) return array(at, static_cast<VARTYPE>(type & ~VT_ARRAY), out, level);
    if (type == VT_BSTR) return scalarString(at, out);
    if (type == VT_DECIMAL) {
      // A DECIMAL fills the whole record; its first two bytes (wReserved)
      // give way to the type.
      std::memcpy(reinterpret_cast<BYTE*>(&out->decVal) + sizeof type, at + sizeof type,
                  sizeof(DECIMAL) - sizeof type);
      out->vt = VT_DECIMAL;
      return kRecordSize;
    }
    // Anything else must be a value the record holds itself: references,
    // interface pointers, flags and unknown codes cannot travel in a stream.
    if (!isInlineScalar(type)) return -1;
    std::memcpy(&out->llVal, at + kValueOffset, sizeof out->llVal);
    out->vt = type;
    return kRecordSize;
  }

 private:
  std::size_t left(const BYTE* at) const { return static_cast<std::size_t>(end_ - at); }

  // A length-prefixed string at `at`: its text up to the first zero unit
  // (or all of it), and the bytes it occupies, or -1.
  std::ptrdiff_t string(const BYTE* at, bool nullWhenEmpty, BSTR* text) const {
    if (left(at) < opc::kStreamStringHeaderSize) return -1;
    const DWORD length = readDword(at);
    if (length % sizeof(OLECHAR) != 0) return -1;
    if (left(at) - opc::kStreamStringHeaderSize < std::size_t{length} + opc::kStreamStringTerminatorSize) {
      return -1;
    }
    const BYTE* bytes = at + opc::kStreamStringHeaderSize;
    const UINT units = length / sizeof(OLECHAR);
    UINT used = 0;
    while (used < units && (bytes[2 * used] != 0 || bytes[2 * used + 1] != 0)) ++used;
    *text = nullptr;
    if (length != 0 || !nullWhenEmpty) {
      // Copied as bytes: the stream keeps no alignment.
      *text = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(bytes), used * sizeof(OLECHAR));
      if (*text == nullptr) return -1;
    }
    return static_cast<std::ptrdiff_t>(kStringOverhead + length);
  }

  std::ptrdiff_t scalarString(const BYTE* at, VARIANT* out) {
    BSTR text = nullptr;
    // A length of 0 stands for a null string.
    const std::ptrdiff_t size = string(at + kRecordSize, true, &text);
    if (size < 0) return -1;
    out->vt = VT_BSTR;
    out->bstrVal = text;
    return static_cast<std::ptrdiff_t>(kRecordSize) + size;
  }

  std::ptrdiff_t array(const BYTE* at, VARTYPE elementType, VARIANT* out, int level) {
    if (left(at) < kArrayDataOffset) return -1;
    const DWORD count = readDword(at + kBoundOffset);
    const LONG lowerBound = static_cast<LONG>(readDword(at + kBoundOffset + sizeof(DWORD)));

    // Refuse a count the rest of the stream cannot hold before allocating
    // anything for it.
    std::size_t smallestElement;
    if (elementType == VT_BSTR) {
      smallestElement = kStringOverhead;
    } else if (elementType == VT_VARIANT) {
      smallestElement = kRecordSize;
    } else {
      smallestElement = com::ValueDataSize(elementType);
      if (smallestElement == 0) return -1;
    }
    const std::size_t dataBytes = left(at) - kArrayDataOffset;
    if (count > dataBytes / smallestElement) return -1;

    SAFEARRAY* elements = SafeArrayCreateVector(elementType, lowerBound, count);
    if (elements == nullptr) return -1;
    out->vt = static_cast<VARTYPE>(VT_ARRAY | elementType);
    out->parray = elements;
    // Raw elements are copied as they lie, so the native element must have
    // the stream's size.
    const std::size_t rawSize = com::ValueDataSize(elementType);
    if (rawSize != 0 && SafeArrayGetElemsize(elements) != rawSize) return -1;

    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(elements, &data))) return -1;
    const std::ptrdiff_t size = fillElements(at + kArrayDataOffset, elementType, count, data, level);
    SafeArrayUnaccessData(elements);
    return size < 0 ? -1 : static_cast<std::ptrdiff_t>(kArrayDataOffset) + size;
  }

  std::ptrdiff_t fillElements(const BYTE* at, VARTYPE elementType, DWORD count, void* data, int level) {
    if (elementType == VT_BSTR) {
      auto* strings = static_cast<BSTR*>(data);
      std::ptrdiff_t used = 0;
      for (DWORD i = 0; i < count; ++i) {
        const std::ptrdiff_t size = string(at + used, false, &strings[i]);
        if (size < 0) return -1;
        used += size;
      }
      return used;
    }
    if (elementType == VT_VARIANT) {
      auto* values = static_cast<VARIANT*>(data);
      std::ptrdiff_t used = 0;
      for (DWORD i = 0; i < count; ++i) {
        const std::ptrdiff_t size = record(at + used, &values[i], level + 1);
        if (size < 0) return -1;
        used += size;
      }
      return used;
    }
    // The count was checked against the bytes left, so this stays inside.
    const std::size_t bytes = std::size_t{count} * com::ValueDataSize(elementType);
    if (bytes != 0) std::memcpy(data, at, bytes);
    return static_cast<std::ptrdiff_t>(bytes);
  }

  const BYTE* end_;
};

}  // namespace

std::ptrdiff_t DecodeStreamVariant(VARIANT* destination, const BYTE* position, const BYTE* end) {
  if (destination == nullptr) return -1;
  VARIANT value;
  VariantInit(&value);
  std::ptrdiff_t size = -1;
  if (position != nullptr && end != nullptr && position <= end) size = Decoder(end).record(position, &value, 1);
  if (size < 0) {
    VariantClear(&value);
    VariantInit(destination);
    return -1;
  }
  std::memcpy(destination, &value, sizeof value);
  return size;
}
