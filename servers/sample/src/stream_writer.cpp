#include "stream_writer.h"

#include <cstring>
#include <limits>

namespace sample {
namespace {

bool isUnsupported(VARTYPE type) {
  if ((type & VT_BYREF) != 0) return true;
  switch (type & VT_TYPEMASK) {
    case VT_DISPATCH:
    case VT_UNKNOWN:
    case VT_RECORD:
      return true;
    default:
      return false;
  }
}

bool isWritableArray(const VARIANT& value) {
  return value.parray != nullptr && value.parray->cDims == 1 && !isUnsupported(value.vt & VT_TYPEMASK);
}

size_t stringSize(BSTR text) { return opc::kStreamStringHeaderSize + SysStringByteLen(text) + opc::kStreamStringTerminatorSize; }

// The element size of a stream array: strings and values are written one
// by one, so only raw element types use it.
DWORD streamElementSize(VARTYPE element, const SAFEARRAY* array) {
  switch (element) {
    case VT_BSTR:
      return 4;  // a 32-bit string pointer, as the descriptor of a 32-bit build says
    case VT_VARIANT:
      return opc::kStreamValueSize;
    default:
      return array->cbElements;
  }
}

class Output {
 public:
  explicit Output(BYTE* data) : data_(data) {}
  size_t offset() const { return offset_; }
  template <class T>
  void put(const T& value) {
    std::memcpy(data_ + offset_, &value, sizeof(T));
    offset_ += sizeof(T);
  }
  void putBytes(const void* bytes, size_t size) {
    if (size != 0) std::memcpy(data_ + offset_, bytes, size);
    offset_ += size;
  }

  void putString(BSTR text) {
    const DWORD bytes = SysStringByteLen(text);
    put(bytes);
    putBytes(text, bytes);
    put(WORD{0});
  }

  void putValue(const VARIANT& value) {
    opc::StreamValue record{};
    const VARTYPE type = value.vt;
    if (isUnsupported(type) || ((type & VT_ARRAY) != 0 && !isWritableArray(value))) {
      put(record);  // VT_EMPTY
      return;
    }
    if (type == VT_DECIMAL) {
      // A decimal fills all 16 bytes; its reserved word is where the type goes.
      std::memcpy(&record, &value.decVal, sizeof(record));
    } else if ((type & VT_ARRAY) == 0 && type != VT_BSTR) {
      std::memcpy(record.value, &value.llVal, sizeof(record.value));
    }
    record.vt = type;
    put(record);
    if (type == VT_BSTR) {
      putString(value.bstrVal);
    } else if ((type & VT_ARRAY) != 0) {
      putArray(value);
    }
  }

 private:
  void putArray(const VARIANT& value) {
    const SAFEARRAY* array = value.parray;
    const VARTYPE element = value.vt & VT_TYPEMASK;
    const ULONG count = array->rgsabound[0].cElements;
    opc::StreamArrayDescriptor descriptor{};
    descriptor.cDims = 1;
    descriptor.fFeatures = array->fFeatures;
    descriptor.cbElements = streamElementSize(element, array);
    put(descriptor);
    put(opc::StreamArrayBound{count, array->rgsabound[0].lLbound});
    if (element == VT_BSTR) {
      const auto* strings = static_cast<const BSTR*>(array->pvData);
      for (ULONG index = 0; index < count; ++index) putString(strings[index]);
    } else if (element == VT_VARIANT) {
      const auto* values = static_cast<const VARIANT*>(array->pvData);
      for (ULONG index = 0; index < count; ++index) putValue(values[index]);
    } else {
      putBytes(array->pvData, static_cast<size_t>(count) * array->cbElements);
    }
  }

  BYTE* data_;
  size_t offset_ = 0;
};

// Allocates the block and hands its locked memory to write.
template <class Write>
HGLOBAL makeBlock(size_t size, Write&& write) {
  if (size > std::numeric_limits<DWORD>::max()) return nullptr;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
  if (block == nullptr) return nullptr;
  auto* data = static_cast<BYTE*>(GlobalLock(block));
  if (data == nullptr) {
    GlobalFree(block);
    return nullptr;
  }
  Output out(data);
  write(out);
  GlobalUnlock(block);
  return block;
}

}  // namespace

size_t streamValueSize(const VARIANT& value) {
  const VARTYPE type = value.vt;
  if (isUnsupported(type)) return opc::kStreamValueSize;
  if (type == VT_BSTR) return opc::kStreamValueSize + stringSize(value.bstrVal);
  if ((type & VT_ARRAY) == 0) return opc::kStreamValueSize;
  if (!isWritableArray(value)) return opc::kStreamValueSize;
  const SAFEARRAY* array = value.parray;
  const ULONG count = array->rgsabound[0].cElements;
  size_t size = opc::kStreamValueSize + opc::kStreamArrayHeaderSize;
  const VARTYPE element = type & VT_TYPEMASK;
  if (element == VT_BSTR) {
    const auto* strings = static_cast<const BSTR*>(array->pvData);
    for (ULONG index = 0; index < count; ++index) size += stringSize(strings[index]);
  } else if (element == VT_VARIANT) {
    const auto* values = static_cast<const VARIANT*>(array->pvData);
    for (ULONG index = 0; index < count; ++index) size += streamValueSize(values[index]);
  } else {
    size += static_cast<size_t>(count) * array->cbElements;
  }
  return size;
}

HGLOBAL writeDataStream(StreamFormat format, const StreamHeader& header, std::span<const StreamItem> items) {
  const bool withTime = format == StreamFormat::DataTime;
  const size_t itemHeaderSize = withTime ? sizeof(OPCITEMHEADER1) : sizeof(OPCITEMHEADER2);
  const size_t headersSize = sizeof(OPCGROUPHEADER) + items.size() * itemHeaderSize;
  size_t size = headersSize;
  for (const auto& item : items) size += streamValueSize(item.value.get());
  if (size > std::numeric_limits<DWORD>::max()) return nullptr;

  return makeBlock(size, [&](Output& out) {
    out.put(OPCGROUPHEADER{static_cast<DWORD>(size), static_cast<DWORD>(items.size()), header.clientGroup,
                           header.transactionId, header.status});
    size_t valueOffset = headersSize;
    for (const auto& item : items) {
      if (withTime) {
        out.put(OPCITEMHEADER1{item.clientHandle, static_cast<DWORD>(valueOffset), item.quality, 0, item.timeStamp});
      } else {
        out.put(OPCITEMHEADER2{item.clientHandle, static_cast<DWORD>(valueOffset), item.quality, 0});
      }
      valueOffset += streamValueSize(item.value.get());
    }
    for (const auto& item : items) out.putValue(item.value.get());
  });
}

HGLOBAL writeWriteCompleteStream(const StreamHeader& header, std::span<const WriteOutcome> items) {
  const size_t size = sizeof(OPCGROUPHEADERWRITE) + items.size() * sizeof(OPCITEMHEADERWRITE);
  return makeBlock(size, [&](Output& out) {
    out.put(OPCGROUPHEADERWRITE{static_cast<DWORD>(items.size()), header.clientGroup, header.transactionId,
                                header.status});
    for (const auto& item : items) out.put(OPCITEMHEADERWRITE{item.clientHandle, item.error});
  });
}

}  // namespace sample
