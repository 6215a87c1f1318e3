#pragma once

// Uniform data transfer: IDataObject hands out data in a format described by
// a FORMATETC on a medium described by a STGMEDIUM, and tells IAdviseSink
// objects when the data changes (DAdvise).

#include "com/export.h"
#include "com/unknown.h"
#include "com/wtypes.h"

DEFINE_GUID(IID_IEnumFORMATETC, 0x00000103, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
DEFINE_GUID(IID_IEnumSTATDATA, 0x00000105, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
DEFINE_GUID(IID_IDataObject, 0x0000010E, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
DEFINE_GUID(IID_IAdviseSink, 0x0000010F, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);

// Interfaces that only appear as pointer members or arguments here.
struct IStream;
struct IStorage;
struct IMoniker;

// The kind of medium a STGMEDIUM carries; FORMATETC::tymed combines them.
enum TYMED : DWORD {
  TYMED_NULL = 0,
  TYMED_HGLOBAL = 1,
  TYMED_FILE = 2,
  TYMED_ISTREAM = 4,
  TYMED_ISTORAGE = 8,
  TYMED_GDI = 16,
  TYMED_MFPICT = 32,
  TYMED_ENHMF = 64,
};

// Advise flags (IDataObject::DAdvise).
enum ADVF : DWORD {
  ADVF_NODATA = 1,
  ADVF_PRIMEFIRST = 2,
  ADVF_ONLYONCE = 4,
  ADVFCACHE_NOHANDLER = 8,
  ADVFCACHE_FORCEBUILTIN = 16,
  ADVFCACHE_ONSAVE = 32,
  ADVF_DATAONSTOP = 64,
};

// Direction of IDataObject::EnumFormatEtc.
enum DATADIR : DWORD {
  DATADIR_GET = 1,
  DATADIR_SET = 2,
};

// A target device: the offsets are counted in bytes from the start of the
// record and point into tdData.
struct DVTARGETDEVICE {
  DWORD tdSize;
  WORD tdDriverNameOffset;
  WORD tdDeviceNameOffset;
  WORD tdPortNameOffset;
  WORD tdExtDevmodeOffset;
  BYTE tdData[1];
};

struct FORMATETC {
  CLIPFORMAT cfFormat;
  DVTARGETDEVICE* ptd;
  DWORD dwAspect;
  LONG lindex;
  DWORD tymed;
};
using LPFORMATETC = FORMATETC*;

// A medium; the member of the union in use is given by tymed. When
// pUnkForRelease is set, that object owns the data and ReleaseStgMedium only
// releases it.
struct STGMEDIUM {
  DWORD tymed;
  union {
    HBITMAP hBitmap;
    HMETAFILEPICT hMetaFilePict;
    HENHMETAFILE hEnhMetaFile;
    HGLOBAL hGlobal;
    LPOLESTR lpszFileName;
    IStream* pstm;
    IStorage* pstg;
  };
  IUnknown* pUnkForRelease;
};
using LPSTGMEDIUM = STGMEDIUM*;

struct IAdviseSink;

// One advise connection of a data object (IEnumSTATDATA).
struct STATDATA {
  FORMATETC formatetc;
  DWORD advf;
  IAdviseSink* pAdvSink;
  DWORD dwConnection;
};
using LPSTATDATA = STATDATA*;

struct IEnumFORMATETC : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Next(ULONG count, FORMATETC* elements, ULONG* fetched) = 0;
  virtual HRESULT STDMETHODCALLTYPE Skip(ULONG count) = 0;
  virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
  virtual HRESULT STDMETHODCALLTYPE Clone(IEnumFORMATETC** copy) = 0;

 protected:
  ~IEnumFORMATETC() = default;
};
using LPENUMFORMATETC = IEnumFORMATETC*;
COM_DECLARE_INTERFACE(IEnumFORMATETC, IID_IEnumFORMATETC, IUnknown);

struct IEnumSTATDATA : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Next(ULONG count, STATDATA* elements, ULONG* fetched) = 0;
  virtual HRESULT STDMETHODCALLTYPE Skip(ULONG count) = 0;
  virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
  virtual HRESULT STDMETHODCALLTYPE Clone(IEnumSTATDATA** copy) = 0;

 protected:
  ~IEnumSTATDATA() = default;
};
using LPENUMSTATDATA = IEnumSTATDATA*;
COM_DECLARE_INTERFACE(IEnumSTATDATA, IID_IEnumSTATDATA, IUnknown);

struct IAdviseSink : IUnknown {
  virtual void STDMETHODCALLTYPE OnDataChange(FORMATETC* format, STGMEDIUM* medium) = 0;
  virtual void STDMETHODCALLTYPE OnViewChange(DWORD aspect, LONG index) = 0;
  virtual void STDMETHODCALLTYPE OnRename(IMoniker* moniker) = 0;
  virtual void STDMETHODCALLTYPE OnSave() = 0;
  virtual void STDMETHODCALLTYPE OnClose() = 0;

 protected:
  ~IAdviseSink() = default;
};
using LPADVISESINK = IAdviseSink*;
COM_DECLARE_INTERFACE(IAdviseSink, IID_IAdviseSink, IUnknown);

struct IDataObject : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* format, STGMEDIUM* medium) = 0;
  virtual HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* format, FORMATETC* canonical) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) = 0;
  virtual HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) = 0;
  virtual HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC* format, DWORD advf, IAdviseSink* sink,
                                            DWORD* connection) = 0;
  virtual HRESULT STDMETHODCALLTYPE DUnadvise(DWORD connection) = 0;
  virtual HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** connections) = 0;

 protected:
  ~IDataObject() = default;
};
using LPDATAOBJECT = IDataObject*;
COM_DECLARE_INTERFACE(IDataObject, IID_IDataObject, IUnknown);

extern "C" {
// Frees the data a medium carries: when pUnkForRelease is set, only that
// object is released (it owns the data); otherwise an HGLOBAL is freed with
// GlobalFree, a stream or storage released and a file name freed with the
// task allocator. The medium is left as TYMED_NULL, so a second call does
// nothing.
COM_API void ReleaseStgMedium(STGMEDIUM* medium);
}
