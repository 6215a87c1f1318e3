#include "advise/data_advise_sink.h"

#include <mutex>
#include <new>

#include "com/clipboard.h"
#include "com/hglobal.h"
#include "format/stream_variant.h"

namespace {

constexpr SIZE_T kGroupHeaderSize = sizeof(OPCGROUPHEADER);
constexpr SIZE_T kWriteHeaderSize = sizeof(OPCGROUPHEADERWRITE);

// Marks a data stream as not decodable: the header then describes an empty
// block that failed with `status`, which is what the callback receives.
void markFailed(OPCGROUPHEADER& header, HRESULT status) {
  header.dwSize = static_cast<DWORD>(kGroupHeaderSize);
  header.dwItemCount = 0;
  header.hrStatus = status;
}

// Locks a medium's memory block for the length of one callback.
class LockedBlock {
 public:
  explicit LockedBlock(HGLOBAL block) : handle_(block), bytes_(static_cast<BYTE*>(GlobalLock(block))) {
    if (bytes_ != nullptr) size_ = GlobalSize(block);
  }
  ~LockedBlock() {
    if (bytes_ != nullptr) GlobalUnlock(handle_);
  }
  LockedBlock(const LockedBlock&) = delete;
  LockedBlock& operator=(const LockedBlock&) = delete;

  BYTE* bytes() const { return bytes_; }
  SIZE_T size() const { return size_; }

 private:
  HGLOBAL handle_;
  BYTE* bytes_;
  SIZE_T size_ = 0;
};

}  // namespace

CDataAdviseSink* CDataAdviseSink::Create() { return new (std::nothrow) CDataAdviseSink(); }

CDataAdviseSink::CDataAdviseSink() {
  formats_[kData] = static_cast<CLIPFORMAT>(RegisterClipboardFormatA(OPCSTMFORMATDATA_NAME_A));
  formats_[kDataTime] = static_cast<CLIPFORMAT>(RegisterClipboardFormatA(OPCSTMFORMATDATATIME_NAME_A));
  formats_[kWriteComplete] = static_cast<CLIPFORMAT>(RegisterClipboardFormatA(OPCSTMFORMATWRITECOMPLETE_NAME_A));
}

CDataAdviseSink::~CDataAdviseSink() {
  if (dataObject_ == nullptr) return;
  for (DWORD& connection : connections_) {
    if (connection != 0) dataObject_->DUnadvise(connection);
    connection = 0;
  }
  dataObject_->Release();
}

HRESULT CDataAdviseSink::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IAdviseSink)) {
    *object = static_cast<IAdviseSink*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG CDataAdviseSink::AddRef() { return references_.fetch_add(1, std::memory_order_relaxed) + 1; }

ULONG CDataAdviseSink::Release() {
  const ULONG left = references_.fetch_sub(1, std::memory_order_acq_rel) - 1;
  if (left == 0) delete this;
  return left;
}

HRESULT CDataAdviseSink::ConnectToGroup(IUnknown* group, AdviseCallback* callback) {
  {
    std::unique_lock lock(callbackLock_);
    callback_ = callback;
  }
  if (group == nullptr) return E_POINTER;
  if (dataObject_ != nullptr) return S_OK;
  void* dataObject = nullptr;
  const HRESULT hr = group->QueryInterface(IID_IDataObject, &dataObject);
  if (FAILED(hr)) return hr;
  if (dataObject == nullptr) return E_NOINTERFACE;
  dataObject_ = static_cast<IDataObject*>(dataObject);
  return hr;
}

HRESULT CDataAdviseSink::AdviseWithTime(DWORD* connection) {
  if (connection == nullptr) return E_POINTER;
  *connection = 0;
  if (dataObject_ == nullptr) return E_FAIL;
  FORMATETC format{formats_[kDataTime], nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  DWORD advised = 0;
  const HRESULT hr = dataObject_->DAdvise(&format, 0, this, &advised);
  if (SUCCEEDED(hr)) {
    connections_[kDataTime] = advised;
    *connection = advised;
  }
  return hr;
}

HRESULT CDataAdviseSink::UnadviseWithTime() {
  if (dataObject_ == nullptr || connections_[kDataTime] == 0) return S_OK;
  const HRESULT hr = dataObject_->DUnadvise(connections_[kDataTime]);
  connections_[kDataTime] = 0;
  return hr;
}

void CDataAdviseSink::DisconnectCallback() {
  std::unique_lock lock(callbackLock_);
  callback_ = nullptr;
}

void CDataAdviseSink::OnDataChange(FORMATETC* format, STGMEDIUM* medium) {
  if (format == nullptr || medium == nullptr || medium->tymed != TYMED_HGLOBAL) return;
  std::shared_lock lock(callbackLock_);
  if (callback_ == nullptr) return;
  // The medium stays the server's: it is only locked here, never released.
  LockedBlock block(medium->hGlobal);
  if (block.bytes() == nullptr) return;
  if (format->cfFormat == formats_[kData]) {
    DecodeData(block.bytes(), block.size(), kData, *callback_);
  } else if (format->cfFormat == formats_[kDataTime]) {
    DecodeData(block.bytes(), block.size(), kDataTime, *callback_);
  } else if (format->cfFormat == formats_[kWriteComplete]) {
    DecodeWriteComplete(block.bytes(), block.size(), *callback_);
  }
}

void CDataAdviseSink::DecodeData(BYTE* block, SIZE_T size, Format format, AdviseCallback& callback) {
  // A block without a whole header has nothing the callback could be told.
  if (size < kGroupHeaderSize) return;
  auto* header = reinterpret_cast<OPCGROUPHEADER*>(block);
  const SIZE_T itemSize = format == kData ? sizeof(OPCITEMHEADER2) : sizeof(OPCITEMHEADER1);
  const BYTE* const end = block + size;

  // The item count comes from the server: the headers it announces must lie
  // in the block before anything is allocated for their values.
  VARIANT* values = nullptr;
  DWORD decoded = 0;
  const DWORD count = header->dwItemCount;
  if (count > (size - kGroupHeaderSize) / itemSize) {
    markFailed(*header, E_FAIL);
  } else if (values = new (std::nothrow) VARIANT[count]; values == nullptr) {
    markFailed(*header, E_OUTOFMEMORY);
  } else {
    // Values follow the item headers back to back; dwValueOffset is not
    // consulted, so a wrong offset cannot send the decoder astray.
    const BYTE* position = block + kGroupHeaderSize + count * itemSize;
    for (; decoded < count; ++decoded) {
      const std::ptrdiff_t used = DecodeStreamVariant(&values[decoded], position, end);
      if (used < 0) {
        markFailed(*header, E_FAIL);
        break;
      }
      position += used;
    }
  }

  const BYTE* items = block + kGroupHeaderSize;
  if (format == kData) {
    callback.OnData(header, reinterpret_cast<const OPCITEMHEADER2*>(items), values);
  } else {
    callback.OnDataWithTime(header, reinterpret_cast<const OPCITEMHEADER1*>(items), values);
  }

  for (DWORD i = 0; i < decoded; ++i) VariantClear(&values[i]);
  delete[] values;
}

void CDataAdviseSink::DecodeWriteComplete(BYTE* block, SIZE_T size, AdviseCallback& callback) {
  if (size < kWriteHeaderSize) return;
  auto* header = reinterpret_cast<OPCGROUPHEADERWRITE*>(block);
  if (header->dwItemCount > (size - kWriteHeaderSize) / sizeof(OPCITEMHEADERWRITE)) {
    header->dwItemCount = 0;
    header->hrStatus = E_FAIL;
  }
  callback.OnWriteComplete(header, reinterpret_cast<const OPCITEMHEADERWRITE*>(block + kWriteHeaderSize));
}
