#pragma once

// The data-change streams of OPC Data Access 1.0. A group's IDataObject
// sends them to an IAdviseSink as one TYMED_HGLOBAL block in one of three
// registered clipboard formats, named below.
//
// A block is a byte stream with a fixed little-endian layout on every build:
//
//   "OPCSTMFORMATDATA" and "OPCSTMFORMATDATATIME":
//     OPCGROUPHEADER (20 bytes)
//     dwItemCount item headers: OPCITEMHEADER2 (12 bytes) for DATA,
//                               OPCITEMHEADER1 (20 bytes) for DATATIME
//     one value record per item, in item order; dwValueOffset of an item
//     header is the record's offset from the start of the block
//
//   "OPCSTMFORMATWRITECOMPLETE":
//     OPCGROUPHEADERWRITE (16 bytes)
//     dwItemCount OPCITEMHEADERWRITE (8 bytes each)
//
// A value record (opc::StreamValue) is the 16-byte VARIANT of a 32-bit
// build: the type at offset 0 and the value at offset 8. What a pointer in
// it stands for follows the record:
//   - VT_BSTR: a 32-bit byte length L (0 for a null string), L bytes of
//     UTF-16 text and a 2-byte zero; the record takes 22 + L bytes.
//   - VT_ARRAY | type: a 16-byte array descriptor (opc::StreamArrayDescriptor),
//     one 8-byte bound (element count, lower bound), then the elements: raw
//     data for plain types, for VT_BSTR each as a 32-bit byte length, the
//     text and a 2-byte zero, for VT_VARIANT each as a value record of its
//     own.
//   - any other type: nothing; the record takes 16 bytes.
// A 64-bit build's native VARIANT is 24 bytes and its pointers are 8 bytes,
// so a value record is always written field by field, never copied from a
// native VARIANT.

#include "com/oleauto.h"
#include "opc/types.h"

#define OPCSTMFORMATDATA_NAME_A "OPCSTMFORMATDATA"
#define OPCSTMFORMATDATATIME_NAME_A "OPCSTMFORMATDATATIME"
#define OPCSTMFORMATWRITECOMPLETE_NAME_A "OPCSTMFORMATWRITECOMPLETE"
#define OPCSTMFORMATDATA_NAME u"OPCSTMFORMATDATA"
#define OPCSTMFORMATDATATIME_NAME u"OPCSTMFORMATDATATIME"
#define OPCSTMFORMATWRITECOMPLETE_NAME u"OPCSTMFORMATWRITECOMPLETE"

// The header of a data stream. dwSize is the size of the whole block.
struct OPCGROUPHEADER {
  DWORD dwSize;
  DWORD dwItemCount;
  OPCHANDLE hClientGroup;
  DWORD dwTransactionID;
  HRESULT hrStatus;
};

// The item header of "OPCSTMFORMATDATATIME".
struct OPCITEMHEADER1 {
  OPCHANDLE hClient;
  DWORD dwValueOffset;
  WORD wQuality;
  WORD wReserved;
  FILETIME ftTimeStampItem;
};

// The item header of "OPCSTMFORMATDATA".
struct OPCITEMHEADER2 {
  OPCHANDLE hClient;
  DWORD dwValueOffset;
  WORD wQuality;
  WORD wReserved;
};

// The header of "OPCSTMFORMATWRITECOMPLETE".
struct OPCGROUPHEADERWRITE {
  DWORD dwItemCount;
  OPCHANDLE hClientGroup;
  DWORD dwTransactionID;
  HRESULT hrStatus;
};

// The outcome of one written item in "OPCSTMFORMATWRITECOMPLETE".
struct OPCITEMHEADERWRITE {
  OPCHANDLE hClient;
  HRESULT dwError;
};

namespace opc {

// A value record as it lies in a stream. For pointer types (VT_BSTR, arrays)
// the value field carries nothing a reader may use; the data follows the
// record.
struct StreamValue {
  VARTYPE vt;
  WORD wReserved1;
  WORD wReserved2;
  WORD wReserved3;
  BYTE value[8];
};

// The array descriptor in front of an array's bound: a 32-bit SAFEARRAY
// without its bounds. Readers skip it; writers fill in the first fields and
// leave the data pointer 0.
struct StreamArrayDescriptor {
  WORD cDims;
  WORD fFeatures;
  DWORD cbElements;
  DWORD cLocks;
  DWORD pvData;
};

// The one bound of a stream array.
struct StreamArrayBound {
  DWORD cElements;
  LONG lLbound;
};

inline constexpr DWORD kStreamValueSize = 16;
inline constexpr DWORD kStreamArrayHeaderSize = 16 + 8;   // descriptor and bound
inline constexpr DWORD kStreamStringHeaderSize = 4;       // byte length
inline constexpr DWORD kStreamStringTerminatorSize = 2;

}  // namespace opc

static_assert(sizeof(OPCGROUPHEADER) == 20, "stream layout");
static_assert(sizeof(OPCITEMHEADER1) == 20, "stream layout");
static_assert(sizeof(OPCITEMHEADER2) == 12, "stream layout");
static_assert(sizeof(OPCGROUPHEADERWRITE) == 16, "stream layout");
static_assert(sizeof(OPCITEMHEADERWRITE) == 8, "stream layout");
static_assert(sizeof(opc::StreamValue) == opc::kStreamValueSize, "stream layout");
static_assert(sizeof(opc::StreamArrayDescriptor) == 16, "stream layout");
static_assert(sizeof(opc::StreamArrayBound) == 8, "stream layout");
