#pragma once

// Helpers for the sample server's tests: making a server with options,
// adding groups and items, freeing what the server hands out, collecting
// callbacks and decoding the data-change streams on our own (from the
// layout, independently of the server's writer).

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "com/allocator.h"
#include "com/clipboard.h"
#include "com/hglobal.h"
#include "com/interfaces/connection_points.h"
#include "com/object.h"
#include "com/objidl.h"
#include "com/oleauto.h"
#include "opc/opcda.h"
#include "clock.h"
#include "server_factory.h"
#include "variant.h"

namespace sample::testing {

// Fast timing, so that tests need not wait long for updates.
inline ServerOptions fastOptions() {
  ServerOptions options;
  options.manyItemCount = 100;
  options.simulationPeriod = std::chrono::milliseconds(20);
  options.shutdownPollPeriod = std::chrono::milliseconds(20);
  options.randomSeed = 7;
  options.shutdownRequestFile = "/nonexistent/velmora-test-no-shutdown-file";
  return options;
}

inline com::Ptr<IOPCServer> makeServer(const ServerOptions& options = fastOptions()) {
  com::Ptr<IOPCServer> server;
  EXPECT_EQ(createSampleServer(options, IID_IOPCServer, server.putVoid()), S_OK);
  return server;
}

template <class Interface>
com::Ptr<Interface> query(IUnknown* object) {
  com::Ptr<Interface> result;
  if (object != nullptr) object->QueryInterface(com::iidOf<Interface>(), result.putVoid());
  return result;
}
template <class Interface, class From>
com::Ptr<Interface> query(const com::Ptr<From>& object) {
  return query<Interface>(static_cast<IUnknown*>(object.get()));
}

// Frees a task-allocator block when it goes.
template <class T>
struct TaskFree {
  T* block = nullptr;
  ~TaskFree() { CoTaskMemFree(block); }
  T** put() { return &block; }
  T& operator[](size_t i) const { return block[i]; }
};

struct GroupInfo {
  com::Ptr<IOPCItemMgt> items;
  OPCHANDLE handle = 0;
  DWORD revisedRate = 0;
};

inline GroupInfo addGroup(IOPCServer* server, const char16_t* name, DWORD rate = 1000, bool active = true,
                          OPCHANDLE clientHandle = 1, FLOAT deadband = 0) {
  GroupInfo info;
  const HRESULT hr = server->AddGroup(name, active ? TRUE : FALSE, rate, clientHandle, nullptr, &deadband,
                                      LOCALE_SYSTEM_DEFAULT, &info.handle, &info.revisedRate, IID_IOPCItemMgt,
                                      reinterpret_cast<IUnknown**>(info.items.put()));
  EXPECT_TRUE(SUCCEEDED(hr)) << std::hex << hr;
  return info;
}

// Adds items by ID (client handles 100, 101, ...); returns their server
// handles (0 for an item that failed) and the call's result.
struct AddedItems {
  HRESULT result = E_FAIL;
  std::vector<OPCHANDLE> handles;
  std::vector<HRESULT> errors;
  std::vector<OPCITEMRESULT> results;  // blobs already freed
};

inline AddedItems addItems(IOPCItemMgt* items, const std::vector<std::u16string>& ids, VARTYPE requested = VT_EMPTY,
                           OPCHANDLE firstClientHandle = 100, const std::vector<std::u16string>& paths = {}) {
  std::vector<OPCITEMDEF> definitions(ids.size());
  for (size_t i = 0; i < ids.size(); ++i) {
    definitions[i].szItemID = const_cast<LPWSTR>(ids[i].c_str());
    definitions[i].szAccessPath = const_cast<LPWSTR>(i < paths.size() ? paths[i].c_str() : u"");
    definitions[i].bActive = TRUE;
    definitions[i].hClient = firstClientHandle + static_cast<OPCHANDLE>(i);
    definitions[i].vtRequestedDataType = requested;
  }
  AddedItems added;
  OPCITEMRESULT* results = nullptr;
  HRESULT* errors = nullptr;
  added.result = items->AddItems(static_cast<DWORD>(ids.size()), definitions.data(), &results, &errors);
  if (SUCCEEDED(added.result)) {
    for (size_t i = 0; i < ids.size(); ++i) {
      added.handles.push_back(SUCCEEDED(errors[i]) ? results[i].hServer : 0);
      added.errors.push_back(errors[i]);
      CoTaskMemFree(results[i].pBlob);
      results[i].pBlob = nullptr;
      added.results.push_back(results[i]);
    }
  }
  CoTaskMemFree(results);
  CoTaskMemFree(errors);
  return added;
}

inline std::u16string takeString(LPWSTR text) {
  std::u16string result = text == nullptr ? std::u16string() : std::u16string(text);
  CoTaskMemFree(text);
  return result;
}

inline std::vector<std::u16string> readAll(IEnumString* enumerator) {
  std::vector<std::u16string> all;
  if (enumerator == nullptr) return all;
  LPOLESTR batch[10];
  ULONG fetched = 0;
  HRESULT hr;
  do {
    hr = enumerator->Next(10, batch, &fetched);
    for (ULONG i = 0; i < fetched; ++i) all.push_back(takeString(batch[i]));
  } while (hr == S_OK);
  return all;
}

inline std::string narrow(std::u16string_view text) {
  std::string result;
  for (char16_t c : text) result.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return result;
}

// Waits until condition holds or the time is up; returns the condition.
inline bool waitFor(const std::function<bool()>& condition,
                    std::chrono::milliseconds timeout = std::chrono::milliseconds(5000)) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

// ---- Decoding the streams

struct DecodedValue {
  VARTYPE type = VT_EMPTY;
  uint64_t raw = 0;                    // the 8 value bytes of a scalar
  BYTE decimal[16] = {};               // a whole VT_DECIMAL record
  std::u16string text;                 // VT_BSTR
  bool nullText = false;               // VT_BSTR with byte length 0
  std::vector<BYTE> elements;          // raw array elements
  std::vector<std::u16string> texts;   // VT_ARRAY | VT_BSTR
  std::vector<DecodedValue> values;    // VT_ARRAY | VT_VARIANT
  int32_t lowerBound = 0;
  uint32_t count = 0;

  double asDouble() const { double d; std::memcpy(&d, &raw, 8); return d; }
  float asFloat() const { float f; std::memcpy(&f, &raw, 4); return f; }
  int32_t asI4() const { int32_t v; std::memcpy(&v, &raw, 4); return v; }
};

struct DecodedItem {
  OPCHANDLE clientHandle = 0;
  DWORD valueOffset = 0;
  WORD quality = 0;
  FILETIME timeStamp{};
  DecodedValue value;
};

struct DecodedStream {
  CLIPFORMAT format = 0;
  OPCGROUPHEADER header{};
  OPCGROUPHEADERWRITE writeHeader{};
  std::vector<DecodedItem> items;
  std::vector<OPCITEMHEADERWRITE> writeItems;
  std::thread::id thread;
  bool wellFormed = true;
};

// Reads one value record at offset; returns the bytes it took, or 0 when it
// does not fit the block.
size_t decodeValue(const BYTE* block, size_t size, size_t offset, DecodedValue& value);

DecodedStream decodeStream(CLIPFORMAT format, const BYTE* block, size_t size);

// An IAdviseSink that decodes what it gets and keeps it. onData, when set,
// runs inside OnDataChange (to call back into the server).
class RecordingSink final : public com::Object<RecordingSink, IAdviseSink> {
 public:
  void STDMETHODCALLTYPE OnDataChange(FORMATETC* format, STGMEDIUM* medium) override;
  void STDMETHODCALLTYPE OnViewChange(DWORD, LONG) override {}
  void STDMETHODCALLTYPE OnRename(IMoniker*) override {}
  void STDMETHODCALLTYPE OnSave() override {}
  void STDMETHODCALLTYPE OnClose() override {}

  std::vector<DecodedStream> streams() const {
    std::lock_guard lock(mutex_);
    return streams_;
  }
  size_t count() const {
    std::lock_guard lock(mutex_);
    return streams_.size();
  }
  void clear() {
    std::lock_guard lock(mutex_);
    streams_.clear();
  }
  // Waits for a stream that satisfies match and returns it.
  bool waitForStream(const std::function<bool(const DecodedStream&)>& match, DecodedStream* found = nullptr,
                     std::chrono::milliseconds timeout = std::chrono::milliseconds(5000));

  std::function<void(const DecodedStream&)> onData;

 private:
  mutable std::mutex mutex_;
  std::condition_variable arrived_;
  std::vector<DecodedStream> streams_;
};

inline FORMATETC streamFormat(const char16_t* name) {
  return FORMATETC{static_cast<CLIPFORMAT>(RegisterClipboardFormatW(name)), nullptr, DVASPECT_CONTENT, -1,
                   TYMED_HGLOBAL};
}

inline DWORD advise(IUnknown* group, const char16_t* format, IAdviseSink* sink) {
  auto data = query<IDataObject>(group);
  FORMATETC formatEtc = streamFormat(format);
  DWORD connection = 0;
  EXPECT_EQ(data->DAdvise(&formatEtc, 0, sink, &connection), S_OK);
  return connection;
}

// ---- DA 2.0 callbacks

// One call a RecordingCallback received, with copies of its arrays.
struct CallbackRecord {
  enum class Method { DataChange, ReadComplete, WriteComplete, CancelComplete };
  Method method = Method::DataChange;
  DWORD transactionId = 0;
  OPCHANDLE clientGroup = 0;
  HRESULT masterQuality = S_OK;
  HRESULT masterError = S_OK;
  std::vector<OPCHANDLE> clientHandles;
  std::vector<Variant> values;
  std::vector<WORD> qualities;
  std::vector<FILETIME> timeStamps;
  std::vector<HRESULT> errors;
  std::thread::id thread;

  // The index of the item with this client handle, or -1.
  int indexOf(OPCHANDLE clientHandle) const;
};

// An IOPCDataCallback that keeps what it gets. onCall, when set, runs inside
// each call (to call back into the server, or to hold the server's thread).
class RecordingCallback final : public com::Object<RecordingCallback, IOPCDataCallback> {
 public:
  HRESULT STDMETHODCALLTYPE OnDataChange(DWORD transid, OPCHANDLE group, HRESULT masterQuality, HRESULT masterError,
                                         DWORD count, OPCHANDLE* clientItems, VARIANT* values, WORD* qualities,
                                         FILETIME* timeStamps, HRESULT* errors) override;
  HRESULT STDMETHODCALLTYPE OnReadComplete(DWORD transid, OPCHANDLE group, HRESULT masterQuality,
                                           HRESULT masterError, DWORD count, OPCHANDLE* clientItems,
                                           VARIANT* values, WORD* qualities, FILETIME* timeStamps,
                                           HRESULT* errors) override;
  HRESULT STDMETHODCALLTYPE OnWriteComplete(DWORD transid, OPCHANDLE group, HRESULT masterError, DWORD count,
                                            OPCHANDLE* clientHandles, HRESULT* errors) override;
  HRESULT STDMETHODCALLTYPE OnCancelComplete(DWORD transid, OPCHANDLE group) override;

  std::vector<CallbackRecord> calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
  }
  size_t count() const {
    std::lock_guard lock(mutex_);
    return calls_.size();
  }
  void clear() {
    std::lock_guard lock(mutex_);
    calls_.clear();
  }
  // Waits for a call that satisfies match and returns it.
  bool waitForCall(const std::function<bool(const CallbackRecord&)>& match, CallbackRecord* found = nullptr,
                   std::chrono::milliseconds timeout = std::chrono::milliseconds(5000));
  // The calls that answered the transaction (data changes with ID 0 left out).
  std::vector<CallbackRecord> answersTo(DWORD transactionId) const;

  std::function<void(const CallbackRecord&)> onCall;

 private:
  void record(CallbackRecord call, DWORD count, OPCHANDLE* clientItems, VARIANT* values, WORD* qualities,
              FILETIME* timeStamps, HRESULT* errors);

  mutable std::mutex mutex_;
  std::condition_variable arrived_;
  std::vector<CallbackRecord> calls_;
};

// Connects a callback at the group's connection point; returns the cookie.
inline DWORD connectCallback(IUnknown* group, IOPCDataCallback* callback, HRESULT expected = S_OK) {
  com::Ptr<IConnectionPointContainer> container = query<IConnectionPointContainer>(group);
  com::Ptr<IConnectionPoint> point;
  EXPECT_EQ(container->FindConnectionPoint(IID_IOPCDataCallback, point.put()), S_OK);
  DWORD cookie = 0;
  EXPECT_EQ(point->Advise(callback, &cookie), expected);
  return cookie;
}

inline HRESULT disconnectCallback(IUnknown* group, DWORD cookie) {
  com::Ptr<IConnectionPointContainer> container = query<IConnectionPointContainer>(group);
  com::Ptr<IConnectionPoint> point;
  EXPECT_EQ(container->FindConnectionPoint(IID_IOPCDataCallback, point.put()), S_OK);
  return point->Unadvise(cookie);
}

// Checks, when a test ends, that every object it made is gone. The check
// runs in the destructor, after the derived fixture's members are gone.
class ServerTest : public ::testing::Test {
 protected:
  ~ServerTest() override {
    EXPECT_TRUE(waitFor([] { return com::Module::objectCount() == 0; }))
        << com::Module::objectCount() << " objects still alive";
  }
};

}  // namespace sample::testing
