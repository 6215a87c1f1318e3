#pragma once

// Writes the data-change streams that a group sends to its IAdviseSink
// connections: "OPCSTMFORMATDATA", "OPCSTMFORMATDATATIME" and
// "OPCSTMFORMATWRITECOMPLETE", each one global memory block laid out as
// opc/stream.h describes, field by field, so that the block is the same on
// every build.

#include <span>

#include "com/hglobal.h"
#include "opc/stream.h"
#include "variant.h"

namespace sample {

enum class StreamFormat { Data, DataTime, WriteComplete };

struct StreamItem {
  OPCHANDLE clientHandle = 0;
  WORD quality = 0;
  FILETIME timeStamp{};
  Variant value;
};

struct WriteOutcome {
  OPCHANDLE clientHandle = 0;
  HRESULT error = S_OK;
};

struct StreamHeader {
  OPCHANDLE clientGroup = 0;
  DWORD transactionId = 0;  // 0 for a subscription update
  HRESULT status = S_OK;
};

// The block, or null when memory runs out or the block would pass 4 GB.
// format is Data or DataTime.
HGLOBAL writeDataStream(StreamFormat format, const StreamHeader& header, std::span<const StreamItem> items);
HGLOBAL writeWriteCompleteStream(const StreamHeader& header, std::span<const WriteOutcome> items);

// The bytes one value record takes in a stream. Values a stream cannot
// carry (references, interfaces, arrays of more than one dimension) are
// sent as VT_EMPTY.
size_t streamValueSize(const VARIANT& value);

}  // namespace sample
