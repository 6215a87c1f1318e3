#pragma once

// What a data-advise sink hands on: the decoded content of one data-change
// or write-complete stream. The sink calls these on the thread on which the
// server's call arrives, which is not the user-interface thread, and calls
// may overlap.

#include "com/oleauto.h"
#include "opc/stream.h"

class AdviseCallback {
 public:
  virtual ~AdviseCallback() = default;

  // "OPCSTMFORMATDATA": the header, its dwItemCount item headers and one
  // value per item. Everything belongs to the sink and is valid only during
  // the call. A stream that could not be decoded arrives with dwItemCount 0
  // and a failing hrStatus.
  virtual void OnData(const OPCGROUPHEADER* header, const OPCITEMHEADER2* items, const VARIANT* values) = 0;
  // "OPCSTMFORMATDATATIME": the same, with a time stamp per item.
  virtual void OnDataWithTime(const OPCGROUPHEADER* header, const OPCITEMHEADER1* items,
                              const VARIANT* values) = 0;
  // "OPCSTMFORMATWRITECOMPLETE": the header and its dwItemCount write records.
  virtual void OnWriteComplete(const OPCGROUPHEADERWRITE* header, const OPCITEMHEADERWRITE* items) = 0;
};
