#pragma once

// Enumerators of a data object: its formats (IEnumFORMATETC) and its advise
// connections (IEnumSTATDATA). A target device is copied into the task
// allocator for each element handed out; the caller frees it with
// CoTaskMemFree, and releases each STATDATA's sink.

#include <cstddef>
#include <cstring>
#include <vector>

#include "com/enumerator.h"
#include "com/interfaces/data_object.h"

namespace com {

// A FORMATETC that owns a copy of its target device.
struct StoredFormat {
  StoredFormat() = default;
  // A target device too short to hold its own header is dropped rather than
  // copied, so that no reader goes past the bytes it claims.
  explicit StoredFormat(const FORMATETC& source) : format(source) {
    format.ptd = nullptr;
    if (source.ptd != nullptr && source.ptd->tdSize >= offsetof(DVTARGETDEVICE, tdData)) {
      const auto* bytes = reinterpret_cast<const BYTE*>(source.ptd);
      targetDevice.assign(bytes, bytes + source.ptd->tdSize);
    }
  }

  // Copies the format out, with a task-allocator copy of the target device.
  bool copyTo(FORMATETC* to) const {
    *to = format;
    if (targetDevice.empty()) return true;
    auto* device = static_cast<DVTARGETDEVICE*>(CoTaskMemAlloc(targetDevice.size()));
    if (device == nullptr) return false;
    std::memcpy(device, targetDevice.data(), targetDevice.size());
    to->ptd = device;
    return true;
  }

  FORMATETC format{};
  std::vector<BYTE> targetDevice;
};

struct FormatEtcCopy {
  using Stored = StoredFormat;
  using Out = FORMATETC;
  static bool copy(const Stored& from, Out* to) { return from.copyTo(to); }
  static void destroy(Out* item) {
    CoTaskMemFree(item->ptd);
    item->ptd = nullptr;
  }
};

// One advise connection of a data object, holding a reference to its sink.
struct StoredStatData {
  StoredFormat format;
  DWORD advf = 0;
  Ptr<IAdviseSink> sink;
  DWORD connection = 0;
};

struct StatDataCopy {
  using Stored = StoredStatData;
  using Out = STATDATA;
  static bool copy(const Stored& from, Out* to) {
    if (!from.format.copyTo(&to->formatetc)) return false;
    to->advf = from.advf;
    from.sink.copyTo(&to->pAdvSink);
    to->dwConnection = from.connection;
    return true;
  }
  static void destroy(Out* item) {
    CoTaskMemFree(item->formatetc.ptd);
    item->formatetc.ptd = nullptr;
    if (item->pAdvSink != nullptr) item->pAdvSink->Release();
    item->pAdvSink = nullptr;
  }
};

using EnumFORMATETC = Enumerator<IEnumFORMATETC, FormatEtcCopy>;
using EnumSTATDATA = Enumerator<IEnumSTATDATA, StatDataCopy>;

}  // namespace com
