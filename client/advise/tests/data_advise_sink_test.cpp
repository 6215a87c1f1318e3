// The data-advise sink fed straight with streams: what each format hands to
// the callback, what a damaged stream hands instead, the sink's reference
// counting and the connections it cancels when the last reference goes.

#include "advise/data_advise_sink.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "com/clipboard.h"
#include "data_stream_writer.h"
#include "opc/quality.h"

namespace {

using advise::testing::CopyToGlobal;
using advise::testing::DataStreamWriter;
using format::testing::StreamRecordWriter;

// One callback as the sink made it, copied while it was valid.
struct Call {
  std::string kind;
  OPCGROUPHEADER header{};
  std::vector<OPCHANDLE> handles;
  std::vector<WORD> qualities;
  std::vector<FILETIME> times;
  std::vector<VARTYPE> types;
  std::vector<LONG> integers;  // VT_I4 values, others 0
  std::vector<std::u16string> strings;  // VT_BSTR values ("" for a null string)
  std::vector<HRESULT> writeErrors;
};

class RecordingCallback : public AdviseCallback {
 public:
  void OnData(const OPCGROUPHEADER* header, const OPCITEMHEADER2* items, const VARIANT* values) override {
    Call call = record("data", *header, values);
    for (DWORD i = 0; i < header->dwItemCount; ++i) {
      call.handles.push_back(items[i].hClient);
      call.qualities.push_back(items[i].wQuality);
    }
    calls.push_back(call);
  }
  void OnDataWithTime(const OPCGROUPHEADER* header, const OPCITEMHEADER1* items, const VARIANT* values) override {
    Call call = record("time", *header, values);
    for (DWORD i = 0; i < header->dwItemCount; ++i) {
      call.handles.push_back(items[i].hClient);
      call.qualities.push_back(items[i].wQuality);
      call.times.push_back(items[i].ftTimeStampItem);
    }
    calls.push_back(call);
  }
  void OnWriteComplete(const OPCGROUPHEADERWRITE* header, const OPCITEMHEADERWRITE* items) override {
    Call call;
    call.kind = "write";
    call.header = OPCGROUPHEADER{0, header->dwItemCount, header->hClientGroup, header->dwTransactionID,
                                 header->hrStatus};
    for (DWORD i = 0; i < header->dwItemCount; ++i) {
      call.handles.push_back(items[i].hClient);
      call.writeErrors.push_back(items[i].dwError);
    }
    calls.push_back(call);
  }

  std::vector<Call> calls;

 private:
  static Call record(const char* kind, const OPCGROUPHEADER& header, const VARIANT* values) {
    Call call;
    call.kind = kind;
    call.header = header;
    for (DWORD i = 0; i < header.dwItemCount; ++i) {
      const VARIANT& value = values[i];
      call.types.push_back(value.vt);
      call.integers.push_back(value.vt == VT_I4 ? value.lVal : 0);
      call.strings.push_back(value.vt == VT_BSTR && value.bstrVal != nullptr ? std::u16string(value.bstrVal)
                                                                             : std::u16string());
    }
    return call;
  }
};

constexpr FILETIME kTime{0x12345678, 0x01D9ABCD};

// Three items of the kinds that matter for stepping through the values: a
// fixed-size record, a string and a null string.
DataStreamWriter threeItems(DataStreamWriter::Layout layout) {
  DataStreamWriter stream(layout);
  stream.item(11, OPC_QUALITY_GOOD, kTime, [](StreamRecordWriter& v) { v.scalar(VT_I4, LONG{42}); })
      .item(12, OPC_QUALITY_BAD, kTime, [](StreamRecordWriter& v) { v.string(u"text"); })
      .item(13, OPC_QUALITY_GOOD, kTime, [](StreamRecordWriter& v) { v.nullString(); });
  return stream;
}

class DataAdviseSinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sink = CDataAdviseSink::Create();
    ASSERT_NE(sink, nullptr);
    group = new Group;
    ASSERT_EQ(sink->ConnectToGroup(group, &callback), S_OK);
  }
  void TearDown() override {
    if (sink != nullptr) sink->Release();
    group->Release();
  }

  // Sends `bytes` in `format` and returns the block as the sink left it.
  std::vector<BYTE> send(CLIPFORMAT format, const std::vector<BYTE>& bytes, DWORD tymed = TYMED_HGLOBAL) {
    HGLOBAL block = CopyToGlobal(bytes);
    FORMATETC formatEtc{format, nullptr, DVASPECT_CONTENT, -1, tymed};
    STGMEDIUM medium{};
    medium.tymed = tymed;
    medium.hGlobal = block;
    sink->OnDataChange(&formatEtc, &medium);
    std::vector<BYTE> after(bytes.size());
    if (!after.empty()) std::memcpy(after.data(), GlobalLock(block), after.size());
    GlobalUnlock(block);
    GlobalFree(block);
    return after;
  }

  // A group object with just enough of IDataObject to record what the sink
  // asks of it. Each advise keeps a reference on the sink, as a server does.
  struct Group final : IDataObject {
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
      if (IsEqualIID(iid, IID_IUnknown) || (IsEqualIID(iid, IID_IDataObject) && offersDataObject)) {
        *object = static_cast<IDataObject*>(this);
        AddRef();
        return S_OK;
      }
      *object = nullptr;
      return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override {
      const ULONG left = --references;
      if (left == 0) delete this;
      return left;
    }
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC* format, DWORD advf, IAdviseSink* sink, DWORD* connection) override {
      advised = *format;
      adviseFlags = advf;
      sink->AddRef();
      held = sink;
      *connection = 5;
      return adviseResult;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD connection) override {
      unadvised.push_back(connection);
      return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

    ULONG references = 1;
    bool offersDataObject = true;
    HRESULT adviseResult = S_OK;
    FORMATETC advised{};
    DWORD adviseFlags = 99;
    IAdviseSink* held = nullptr;
    std::vector<DWORD> unadvised;
  };

  RecordingCallback callback;
  CDataAdviseSink* sink = nullptr;
  Group* group = nullptr;
};

TEST_F(DataAdviseSinkTest, RegistersTheThreeStreamFormatsByName) {
  EXPECT_EQ(sink->dataFormat(), RegisterClipboardFormatA("OPCSTMFORMATDATA"));
  EXPECT_EQ(sink->dataTimeFormat(), RegisterClipboardFormatA("OPCSTMFORMATDATATIME"));
  EXPECT_EQ(sink->writeCompleteFormat(), RegisterClipboardFormatA("OPCSTMFORMATWRITECOMPLETE"));
}

TEST_F(DataAdviseSinkTest, DecodesEveryItemOfBothDataFormats) {
  struct Case {
    DataStreamWriter::Layout layout;
    CLIPFORMAT format;
    const char* kind;
  };
  for (const Case& c : {Case{DataStreamWriter::kWithoutTime, sink->dataFormat(), "data"},
                        Case{DataStreamWriter::kWithTime, sink->dataTimeFormat(), "time"}}) {
    SCOPED_TRACE(c.kind);
    callback.calls.clear();
    const std::vector<BYTE> bytes = threeItems(c.layout).bytes();
    EXPECT_EQ(send(c.format, bytes), bytes) << "a sound stream is left as it came";
    ASSERT_EQ(callback.calls.size(), 1u);
    const Call& call = callback.calls[0];
    EXPECT_EQ(call.kind, c.kind);
    EXPECT_EQ(call.header.dwItemCount, 3u);
    EXPECT_EQ(call.header.hClientGroup, 7u);
    EXPECT_EQ(call.header.hrStatus, S_OK);
    EXPECT_EQ(call.handles, (std::vector<OPCHANDLE>{11, 12, 13}));
    EXPECT_EQ(call.qualities, (std::vector<WORD>{OPC_QUALITY_GOOD, OPC_QUALITY_BAD, OPC_QUALITY_GOOD}));
    EXPECT_EQ(call.types, (std::vector<VARTYPE>{VT_I4, VT_BSTR, VT_BSTR}));
    EXPECT_EQ(call.integers[0], 42);
    EXPECT_EQ(call.strings[1], u"text");
    EXPECT_EQ(call.strings[2], u"");
    if (c.layout == DataStreamWriter::kWithTime) {
      ASSERT_EQ(call.times.size(), 3u);
      EXPECT_EQ(call.times[2].dwHighDateTime, kTime.dwHighDateTime);
    }
  }
}

// A stream the sink cannot decode reaches the callback as an empty block
// that failed, written into the block itself; nothing is read past its end
// (the block is exactly the stream's size, so AddressSanitizer sees any
// read beyond it).
TEST_F(DataAdviseSinkTest, DamagedStreamsArriveWithoutItems) {
  struct Case {
    const char* name;
    std::function<void(std::vector<BYTE>&, size_t itemSize)> damage;
    HRESULT status;
  };
  auto setCount = [](DWORD count) {
    return [count](std::vector<BYTE>& bytes, size_t) { std::memcpy(bytes.data() + 4, &count, 4); };
  };
  const Case cases[] = {
      {"last value cut short", [](std::vector<BYTE>& bytes, size_t) { bytes.resize(bytes.size() - 3); }, E_FAIL},
      {"values missing", [](std::vector<BYTE>& bytes, size_t) { bytes.resize(bytes.size() - 60); }, E_FAIL},
      {"one item more than written", setCount(4), E_FAIL},
      {"item headers past the block", setCount(1000), E_FAIL},
      {"largest item count", setCount(0xFFFFFFFF), E_FAIL},
      {"unknown value type",
       [](std::vector<BYTE>& bytes, size_t itemSize) {
         // The first value record follows the group header and three item headers.
         const WORD reference = VT_BYREF | VT_I4;
         std::memcpy(bytes.data() + 20 + 3 * itemSize, &reference, 2);
       },
       E_FAIL},
  };
  for (DataStreamWriter::Layout layout : {DataStreamWriter::kWithoutTime, DataStreamWriter::kWithTime}) {
    const CLIPFORMAT format = layout == DataStreamWriter::kWithTime ? sink->dataTimeFormat() : sink->dataFormat();
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (layout == DataStreamWriter::kWithTime ? " (time)" : " (data)"));
      callback.calls.clear();
      std::vector<BYTE> bytes = threeItems(layout).bytes();
      c.damage(bytes, layout == DataStreamWriter::kWithTime ? 20 : 12);
      const std::vector<BYTE> after = send(format, bytes);
      ASSERT_EQ(callback.calls.size(), 1u);
      EXPECT_EQ(callback.calls[0].header.dwItemCount, 0u);
      EXPECT_EQ(callback.calls[0].header.hrStatus, c.status);
      OPCGROUPHEADER written{};
      std::memcpy(&written, after.data(), sizeof written);
      EXPECT_EQ(written.dwSize, 20u);
      EXPECT_EQ(written.dwItemCount, 0u);
      EXPECT_EQ(written.hrStatus, c.status);
    }
  }
}

TEST_F(DataAdviseSinkTest, IgnoresWhatItCannotReadAtAll) {
  struct Case {
    const char* name;
    CLIPFORMAT format;
    std::vector<BYTE> bytes;
    DWORD tymed;
  };
  const std::vector<BYTE> sound = threeItems(DataStreamWriter::kWithTime).bytes();
  const Case cases[] = {
      {"shorter than a header", sink->dataTimeFormat(), std::vector<BYTE>(sound.begin(), sound.begin() + 19),
       TYMED_HGLOBAL},
      {"empty block", sink->dataFormat(), {}, TYMED_HGLOBAL},
      {"write header cut short", sink->writeCompleteFormat(), std::vector<BYTE>(15, 0), TYMED_HGLOBAL},
      {"unknown format", static_cast<CLIPFORMAT>(RegisterClipboardFormatA("Velmora.Other")), sound, TYMED_HGLOBAL},
      {"not a memory block", sink->dataTimeFormat(), sound, TYMED_ISTREAM},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.tymed == TYMED_HGLOBAL) {
      EXPECT_EQ(send(c.format, c.bytes), c.bytes);
    } else {
      FORMATETC formatEtc{c.format, nullptr, DVASPECT_CONTENT, -1, c.tymed};
      STGMEDIUM medium{};
      medium.tymed = c.tymed;
      sink->OnDataChange(&formatEtc, &medium);
    }
    EXPECT_TRUE(callback.calls.empty());
  }
}

TEST_F(DataAdviseSinkTest, HandsWriteCompleteRecordsOnUndecoded) {
  struct Write {
    OPCGROUPHEADERWRITE header;
    OPCITEMHEADERWRITE items[2];
  };
  const Write write{{2, 7, 33, S_FALSE}, {{11, S_OK}, {12, static_cast<HRESULT>(0xC0040007)}}};
  std::vector<BYTE> bytes(sizeof write);
  std::memcpy(bytes.data(), &write, sizeof write);
  send(sink->writeCompleteFormat(), bytes);
  ASSERT_EQ(callback.calls.size(), 1u);
  EXPECT_EQ(callback.calls[0].kind, "write");
  EXPECT_EQ(callback.calls[0].header.dwTransactionID, 33u);
  EXPECT_EQ(callback.calls[0].handles, (std::vector<OPCHANDLE>{11, 12}));
  EXPECT_EQ(callback.calls[0].writeErrors[1], static_cast<HRESULT>(0xC0040007));

  // More records announced than the block holds: none is handed on.
  callback.calls.clear();
  bytes.resize(sizeof write - 4);
  const std::vector<BYTE> after = send(sink->writeCompleteFormat(), bytes);
  ASSERT_EQ(callback.calls.size(), 1u);
  EXPECT_EQ(callback.calls[0].header.dwItemCount, 0u);
  EXPECT_EQ(callback.calls[0].header.hrStatus, E_FAIL);
}

TEST_F(DataAdviseSinkTest, AnswersOnlyItsOwnInterfaces) {
  void* object = nullptr;
  EXPECT_EQ(sink->QueryInterface(IID_IAdviseSink, &object), S_OK);
  EXPECT_EQ(object, static_cast<IAdviseSink*>(sink));
  EXPECT_EQ(sink->QueryInterface(IID_IUnknown, &object), S_OK);
  EXPECT_EQ(sink->QueryInterface(IID_IDataObject, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(sink->Release(), 2u);
  EXPECT_EQ(sink->Release(), 1u);
}

TEST_F(DataAdviseSinkTest, AdvisesTheTimeFormatAndUnadvisesItOnce) {
  DWORD connection = 0;
  ASSERT_EQ(sink->AdviseWithTime(&connection), S_OK);
  EXPECT_EQ(connection, 5u);
  EXPECT_EQ(group->advised.cfFormat, sink->dataTimeFormat());
  EXPECT_EQ(group->advised.ptd, nullptr);
  EXPECT_EQ(group->advised.dwAspect, static_cast<DWORD>(DVASPECT_CONTENT));
  EXPECT_EQ(group->advised.lindex, -1);
  EXPECT_EQ(group->advised.tymed, static_cast<DWORD>(TYMED_HGLOBAL));
  EXPECT_EQ(group->adviseFlags, 0u);

  EXPECT_EQ(sink->UnadviseWithTime(), S_OK);
  EXPECT_EQ(sink->UnadviseWithTime(), S_OK);
  EXPECT_EQ(group->unadvised, (std::vector<DWORD>{5}));
  group->held->Release();
  sink->Release();
  sink = nullptr;
  EXPECT_EQ(group->unadvised, (std::vector<DWORD>{5})) << "nothing left to cancel at the end";
  EXPECT_EQ(group->references, 1u) << "the sink let go of the data object";
}

// The server holds the sink past its creator's release; when the server
// lets go, the connection still open is cancelled.
TEST_F(DataAdviseSinkTest, TheLastReleaseCancelsAnOpenConnection) {
  DWORD connection = 0;
  ASSERT_EQ(sink->AdviseWithTime(&connection), S_OK);
  sink->Release();
  sink = nullptr;
  EXPECT_TRUE(group->unadvised.empty());
  group->held->Release();
  EXPECT_EQ(group->unadvised, (std::vector<DWORD>{5}));
  EXPECT_EQ(group->references, 1u);
}

TEST_F(DataAdviseSinkTest, AGroupWithoutDataObjectLeavesTheSinkUnconnected) {
  CDataAdviseSink* other = CDataAdviseSink::Create();
  group->offersDataObject = false;
  EXPECT_EQ(other->ConnectToGroup(group, &callback), E_NOINTERFACE);
  DWORD connection = 1;
  EXPECT_TRUE(FAILED(other->AdviseWithTime(&connection)));
  EXPECT_EQ(connection, 0u);
  other->Release();
}

TEST_F(DataAdviseSinkTest, ADisconnectedCallbackHearsNothingMore) {
  sink->DisconnectCallback();
  send(sink->dataTimeFormat(), threeItems(DataStreamWriter::kWithTime).bytes());
  EXPECT_TRUE(callback.calls.empty());
}

}  // namespace
