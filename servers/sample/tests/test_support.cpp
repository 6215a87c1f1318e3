#include "test_support.h"

#include "com/clipboard.h"
#include "com/value_types.h"

namespace sample::testing {
namespace {

template <class T>
bool readAt(const BYTE* block, size_t size, size_t offset, T& value) {
  if (offset > size || size - offset < sizeof(T)) return false;
  std::memcpy(&value, block + offset, sizeof(T));
  return true;
}

// A string as the stream carries it: byte length, text, 2-byte zero.
size_t decodeString(const BYTE* block, size_t size, size_t offset, std::u16string& text, bool& isNull) {
  DWORD bytes = 0;
  if (!readAt(block, size, offset, bytes) || bytes % 2 != 0) return 0;
  const size_t total = 4 + static_cast<size_t>(bytes) + 2;
  if (offset + total > size) return 0;
  text.assign(reinterpret_cast<const char16_t*>(block + offset + 4), bytes / 2);
  WORD terminator = 1;
  readAt(block, size, offset + 4 + bytes, terminator);
  if (terminator != 0) return 0;
  isNull = bytes == 0;
  return total;
}

// Waits until `records`, guarded by `mutex`, holds one that `match`
// accepts, and copies it to `found` when asked to.
template <class Record>
bool waitForRecord(std::mutex& mutex, std::condition_variable& arrived, const std::vector<Record>& records,
                   const std::function<bool(const Record&)>& match, Record* found,
                   std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex);
  return arrived.wait_for(lock, timeout, [&] {
    for (const auto& record : records) {
      if (match(record)) {
        if (found != nullptr) *found = record;
        return true;
      }
    }
    return false;
  });
}

}  // namespace

size_t decodeValue(const BYTE* block, size_t size, size_t offset, DecodedValue& value) {
  if (offset > size || size - offset < 16) return 0;
  std::memcpy(&value.type, block + offset, 2);
  std::memcpy(&value.raw, block + offset + 8, 8);
  std::memcpy(value.decimal, block + offset, 16);
  size_t used = 16;
  if (value.type == VT_BSTR) {
    const size_t text = decodeString(block, size, offset + 16, value.text, value.nullText);
    return text == 0 ? 0 : used + text;
  }
  if ((value.type & VT_ARRAY) == 0) return used;
  DWORD count = 0;
  LONG lower = 0;
  if (!readAt(block, size, offset + 32, count) || !readAt(block, size, offset + 36, lower)) return 0;
  value.count = count;
  value.lowerBound = lower;
  used = 40;
  const VARTYPE element = value.type & VT_TYPEMASK;
  for (DWORD i = 0; i < count; ++i) {
    if (element == VT_BSTR) {
      std::u16string text;
      bool isNull = false;
      const size_t taken = decodeString(block, size, offset + used, text, isNull);
      if (taken == 0) return 0;
      value.texts.push_back(text);
      used += taken;
    } else if (element == VT_VARIANT) {
      DecodedValue nested;
      const size_t taken = decodeValue(block, size, offset + used, nested);
      if (taken == 0) return 0;
      value.values.push_back(std::move(nested));
      used += taken;
    } else {
      const size_t bytes = com::ValueDataSize(element);
      if (bytes == 0 || offset + used + bytes > size) return 0;
      value.elements.insert(value.elements.end(), block + offset + used, block + offset + used + bytes);
      used += bytes;
    }
  }
  return used;
}

DecodedStream decodeStream(CLIPFORMAT format, const BYTE* block, size_t size) {
  DecodedStream stream;
  stream.format = format;
  stream.thread = std::this_thread::get_id();
  const bool withTime = format == RegisterClipboardFormatW(OPCSTMFORMATDATATIME_NAME);
  const bool writeComplete = format == RegisterClipboardFormatW(OPCSTMFORMATWRITECOMPLETE_NAME);
  if (writeComplete) {
    if (!readAt(block, size, 0, stream.writeHeader)) {
      stream.wellFormed = false;
      return stream;
    }
    for (DWORD i = 0; i < stream.writeHeader.dwItemCount; ++i) {
      OPCITEMHEADERWRITE item{};
      if (!readAt(block, size, 16 + 8 * static_cast<size_t>(i), item)) {
        stream.wellFormed = false;
        return stream;
      }
      stream.writeItems.push_back(item);
    }
    stream.wellFormed = size == 16 + 8 * static_cast<size_t>(stream.writeHeader.dwItemCount);
    return stream;
  }
  if (!readAt(block, size, 0, stream.header) || stream.header.dwSize != size) {
    stream.wellFormed = false;
    return stream;
  }
  const size_t headerSize = withTime ? 20 : 12;
  size_t offset = 20;
  for (DWORD i = 0; i < stream.header.dwItemCount; ++i) {
    DecodedItem item;
    if (!readAt(block, size, offset, item.clientHandle) || !readAt(block, size, offset + 4, item.valueOffset) ||
        !readAt(block, size, offset + 8, item.quality)) {
      stream.wellFormed = false;
      return stream;
    }
    if (withTime) readAt(block, size, offset + 12, item.timeStamp);
    stream.items.push_back(item);
    offset += headerSize;
  }
  // Values follow one after another; each item header's offset must point at
  // its own record.
  for (auto& item : stream.items) {
    if (item.valueOffset != offset) stream.wellFormed = false;
    const size_t taken = decodeValue(block, size, offset, item.value);
    if (taken == 0) {
      stream.wellFormed = false;
      return stream;
    }
    offset += taken;
  }
  if (offset != size) stream.wellFormed = false;
  return stream;
}

void RecordingSink::OnDataChange(FORMATETC* format, STGMEDIUM* medium) {
  ASSERT_NE(format, nullptr);
  ASSERT_NE(medium, nullptr);
  EXPECT_EQ(medium->tymed, static_cast<DWORD>(TYMED_HGLOBAL));
  const auto* block = static_cast<const BYTE*>(GlobalLock(medium->hGlobal));
  ASSERT_NE(block, nullptr);
  DecodedStream stream = decodeStream(format->cfFormat, block, GlobalSize(medium->hGlobal));
  GlobalUnlock(medium->hGlobal);
  if (onData) onData(stream);
  {
    std::lock_guard lock(mutex_);
    streams_.push_back(std::move(stream));
  }
  arrived_.notify_all();
}

bool RecordingSink::waitForStream(const std::function<bool(const DecodedStream&)>& match, DecodedStream* found,
                                  std::chrono::milliseconds timeout) {
  return waitForRecord(mutex_, arrived_, streams_, match, found, timeout);
}

}  // namespace sample::testing

namespace sample::testing {

int CallbackRecord::indexOf(OPCHANDLE clientHandle) const {
  for (size_t i = 0; i < clientHandles.size(); ++i) {
    if (clientHandles[i] == clientHandle) return static_cast<int>(i);
  }
  return -1;
}

void RecordingCallback::record(CallbackRecord call, DWORD count, OPCHANDLE* clientItems, VARIANT* values,
                               WORD* qualities, FILETIME* timeStamps, HRESULT* errors) {
  call.thread = std::this_thread::get_id();
  for (DWORD i = 0; i < count; ++i) {
    call.clientHandles.push_back(clientItems[i]);
    if (values != nullptr) call.values.push_back(Variant::copyOf(values[i]));
    if (qualities != nullptr) call.qualities.push_back(qualities[i]);
    if (timeStamps != nullptr) call.timeStamps.push_back(timeStamps[i]);
    call.errors.push_back(errors[i]);
  }
  if (onCall) onCall(call);
  {
    std::lock_guard lock(mutex_);
    calls_.push_back(std::move(call));
  }
  arrived_.notify_all();
}

HRESULT RecordingCallback::OnDataChange(DWORD transid, OPCHANDLE group, HRESULT masterQuality, HRESULT masterError,
                                        DWORD count, OPCHANDLE* clientItems, VARIANT* values, WORD* qualities,
                                        FILETIME* timeStamps, HRESULT* errors) {
  CallbackRecord call;
  call.method = CallbackRecord::Method::DataChange;
  call.transactionId = transid;
  call.clientGroup = group;
  call.masterQuality = masterQuality;
  call.masterError = masterError;
  record(std::move(call), count, clientItems, values, qualities, timeStamps, errors);
  return S_OK;
}

HRESULT RecordingCallback::OnReadComplete(DWORD transid, OPCHANDLE group, HRESULT masterQuality,
                                          HRESULT masterError, DWORD count, OPCHANDLE* clientItems, VARIANT* values,
                                          WORD* qualities, FILETIME* timeStamps, HRESULT* errors) {
  CallbackRecord call;
  call.method = CallbackRecord::Method::ReadComplete;
  call.transactionId = transid;
  call.clientGroup = group;
  call.masterQuality = masterQuality;
  call.masterError = masterError;
  record(std::move(call), count, clientItems, values, qualities, timeStamps, errors);
  return S_OK;
}

HRESULT RecordingCallback::OnWriteComplete(DWORD transid, OPCHANDLE group, HRESULT masterError, DWORD count,
                                           OPCHANDLE* clientHandles, HRESULT* errors) {
  CallbackRecord call;
  call.method = CallbackRecord::Method::WriteComplete;
  call.transactionId = transid;
  call.clientGroup = group;
  call.masterError = masterError;
  record(std::move(call), count, clientHandles, nullptr, nullptr, nullptr, errors);
  return S_OK;
}

HRESULT RecordingCallback::OnCancelComplete(DWORD transid, OPCHANDLE group) {
  CallbackRecord call;
  call.method = CallbackRecord::Method::CancelComplete;
  call.transactionId = transid;
  call.clientGroup = group;
  record(std::move(call), 0, nullptr, nullptr, nullptr, nullptr, nullptr);
  return S_OK;
}

bool RecordingCallback::waitForCall(const std::function<bool(const CallbackRecord&)>& match, CallbackRecord* found,
                                    std::chrono::milliseconds timeout) {
  return waitForRecord(mutex_, arrived_, calls_, match, found, timeout);
}

std::vector<CallbackRecord> RecordingCallback::answersTo(DWORD transactionId) const {
  std::vector<CallbackRecord> answers;
  std::lock_guard lock(mutex_);
  for (const auto& call : calls_) {
    const bool subscription = call.method == CallbackRecord::Method::DataChange && call.transactionId == 0;
    if (!subscription && call.transactionId == transactionId) answers.push_back(call);
  }
  return answers;
}

}  // namespace sample::testing
