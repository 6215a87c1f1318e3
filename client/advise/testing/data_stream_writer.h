#pragma once

// Writes whole data-change streams ("OPCSTMFORMATDATA" and
// "OPCSTMFORMATDATATIME") as a server sends them, and puts them into a
// global memory block of exactly their size, for the sink's tests and
// benchmark.
//
//   DataStreamWriter stream(DataStreamWriter::kWithTime);
//   stream.item(5, OPC_QUALITY_GOOD, time, [](StreamRecordWriter& v) { v.scalar(VT_I4, LONG{42}); });
//   HGLOBAL block = CopyToGlobal(stream.bytes());

#include <cstring>
#include <functional>
#include <vector>

#include "com/hglobal.h"
#include "opc/stream.h"
#include "stream_record_writer.h"

namespace advise::testing {

using format::testing::StreamRecordWriter;

class DataStreamWriter {
 public:
  enum Layout { kWithoutTime, kWithTime };

  explicit DataStreamWriter(Layout layout, HRESULT status = S_OK, OPCHANDLE clientGroup = 7)
      : layout_(layout), status_(status), clientGroup_(clientGroup) {}

  DataStreamWriter& item(OPCHANDLE client, WORD quality, FILETIME time,
                         const std::function<void(StreamRecordWriter&)>& value) {
    items_.push_back(Item{client, quality, time, values_.size()});
    value(values_);
    return *this;
  }

  std::vector<BYTE> bytes() const {
    const size_t itemSize = layout_ == kWithTime ? sizeof(OPCITEMHEADER1) : sizeof(OPCITEMHEADER2);
    const size_t valuesStart = sizeof(OPCGROUPHEADER) + items_.size() * itemSize;
    std::vector<BYTE> out(valuesStart);
    const OPCGROUPHEADER header{static_cast<DWORD>(valuesStart + values_.size()), static_cast<DWORD>(items_.size()),
                                clientGroup_, 0, status_};
    std::memcpy(out.data(), &header, sizeof header);
    for (size_t i = 0; i < items_.size(); ++i) {
      const Item& item = items_[i];
      const OPCITEMHEADER1 full{item.client, static_cast<DWORD>(valuesStart + item.valueOffset), item.quality, 0,
                                item.time};
      std::memcpy(out.data() + sizeof header + i * itemSize, &full, itemSize);
    }
    out.insert(out.end(), values_.bytes().begin(), values_.bytes().end());
    return out;
  }

 private:
  struct Item {
    OPCHANDLE client;
    WORD quality;
    FILETIME time;
    size_t valueOffset;  // in values_
  };
  Layout layout_;
  HRESULT status_;
  OPCHANDLE clientGroup_;
  std::vector<Item> items_;
  StreamRecordWriter values_;
};

// A moveable block holding exactly `bytes`; the caller frees it.
inline HGLOBAL CopyToGlobal(const std::vector<BYTE>& bytes) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  if (block == nullptr) return nullptr;
  if (!bytes.empty()) {
    std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
    GlobalUnlock(block);
  }
  return block;
}

}  // namespace advise::testing
