// Hands whole data-change streams to the advise sink, in the format the
// first byte picks, as a server's callback would: the rest of the input is
// the medium's block, exactly its size. The sink must never read outside
// the block, and must hand on only item headers and values that lie in it.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "advise/data_advise_sink.h"
#include "com/hglobal.h"

namespace {

// Reads everything the sink hands on, so that a header or value outside
// the block shows up as a bad read.
class Reader : public AdviseCallback {
 public:
  void OnData(const OPCGROUPHEADER* header, const OPCITEMHEADER2* items, const VARIANT* values) override {
    for (DWORD i = 0; i < header->dwItemCount; ++i) touch(items[i].hClient + items[i].wQuality, values[i]);
  }
  void OnDataWithTime(const OPCGROUPHEADER* header, const OPCITEMHEADER1* items, const VARIANT* values) override {
    for (DWORD i = 0; i < header->dwItemCount; ++i) {
      touch(items[i].hClient + items[i].ftTimeStampItem.dwHighDateTime, values[i]);
    }
  }
  void OnWriteComplete(const OPCGROUPHEADERWRITE* header, const OPCITEMHEADERWRITE* items) override {
    for (DWORD i = 0; i < header->dwItemCount; ++i) sum_ += items[i].hClient + static_cast<DWORD>(items[i].dwError);
  }

 private:
  void touch(DWORD field, const VARIANT& value) {
    VARIANT copy;
    VariantInit(&copy);
    if (FAILED(VariantCopy(&copy, &value))) __builtin_trap();
    VariantClear(&copy);
    sum_ += field + value.vt;
  }
  DWORD sum_ = 0;
};

class NoGroup : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  static Reader reader;
  static NoGroup group;
  static CDataAdviseSink* const sink = [] {
    CDataAdviseSink* created = CDataAdviseSink::Create();
    created->ConnectToGroup(&group, &reader);
    return created;
  }();
  const CLIPFORMAT formats[] = {sink->dataFormat(), sink->dataTimeFormat(), sink->writeCompleteFormat()};

  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size - 1);
  if (block == nullptr) return 0;
  if (size > 1) {
    std::memcpy(GlobalLock(block), data + 1, size - 1);
    GlobalUnlock(block);
  }
  FORMATETC format{formats[data[0] % 3], nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium{};
  medium.tymed = TYMED_HGLOBAL;
  medium.hGlobal = block;
  sink->OnDataChange(&format, &medium);
  GlobalFree(block);
  return 0;
}
